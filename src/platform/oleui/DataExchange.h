// Dialog data exchange: moving values between a page's members and its controls, in one direction per
// run, with validation. A value that does not pass ends the run; the page then shows the framework's
// message and puts the focus on the control at fault.
#pragma once
#include <QString>
#include <QWidget>
#include <cstdint>
#include <initializer_list>

namespace aldra {

class DataExchange {
  public:
    DataExchange(QWidget* page, bool saving) : page_(page), saving_(saving) {}

    bool Saving() const { return saving_; }
    bool Failed() const { return failed_; }
    // The control the last exchange used, which a failed validation points at.
    int LastControl() const { return lastControl_; }
    const QString& Message() const { return message_; }

    // Finds the control and makes it the last one used; null when the page has none by that number.
    template <class Control>
    Control* Take(int id) {
        lastControl_ = id;
        return page_->findChild<Control*>(QString::number(id), Qt::FindDirectChildrenOnly);
    }
    void Fail(const QString& message);

  private:
    QWidget* page_;
    bool saving_;
    bool failed_ = false;
    int lastControl_ = 0;
    QString message_;
};

// Each does nothing once the run has failed.
void ExchangeText(DataExchange& dx, int id, QString& value);
void ExchangeUnsigned(DataExchange& dx, int id, uint32_t& value);
void ExchangeCheck(DataExchange& dx, int id, bool& value);
// The index of the checked radio button of the group; -1 when none is checked.
void ExchangeRadio(DataExchange& dx, std::initializer_list<int> group, int& index);
// A drop-down combo box's text: the edit field's text, selected item or not.
void ExchangeComboText(DataExchange& dx, int id, QString& value);
void ValidateUnsignedRange(DataExchange& dx, uint32_t value, uint32_t minimum, uint32_t maximum);

}  // namespace aldra
