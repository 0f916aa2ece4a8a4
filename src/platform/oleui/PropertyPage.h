// A property page: one tab of a property frame or property sheet, built from its dialog template when
// it is first shown. Values move between the page's members and its controls by data exchange: to the
// controls when the page opens, back when the user leaves the page, presses OK or Apply. A page of a
// property frame reads the object it shows through the object's dispatch interface, by property name.
#pragma once
#include <QString>
#include <QWidget>
#include <cstdint>
#include <string>

#include "platform/com/Com.h"
#include "platform/oleui/DataExchange.h"
#include "platform/oleui/DialogTemplate.h"

namespace aldra {

class PropertyPage : public QWidget {
  public:
    PropertyPage(const DialogTemplate& dialog, const QString& caption);
    ~PropertyPage() override;

    const QString& Caption() const { return caption_; }
    // The page's size before its controls exist, for the frame that holds it.
    QSize TemplateSize() const;

    // The objects of a property frame; the page holds a reference while it has them.
    void SetObject(IDispatch* object);

    // Builds the controls and opens the page, once; false when the page refused to open.
    bool Activate();
    bool IsCreated() const { return created_; }
    // The user leaves the page: false keeps the user there (the message has been shown).
    virtual bool OnKillActive() { return UpdateData(true); }
    // The sheet ended with OK: the active page has been validated; every created page hears this.
    virtual void OnOK() {}
    // Apply or OK in a property frame: the page writes what the user changed to its objects.
    virtual bool OnApply() { return true; }

    // Runs the data exchange in one direction; saving that fails shows the message, focuses the control
    // at fault and answers false.
    bool UpdateData(bool saving);

    QWidget* Item(int id) const;
    template <class Control>
    Control* ItemAs(int id) const {
        return dynamic_cast<Control*>(Item(id));
    }

  protected:
    virtual void DoDataExchange(DataExchange& dx) = 0;
    // After the controls exist; by default the values go to the controls.
    virtual bool OnInitDialog() { return UpdateData(false); }

    // The object's properties by name; empty text or 0 when the object has no such property.
    QString PropertyText(const char16_t* name) const;
    int32_t PropertyLong(const char16_t* name) const;

    DialogBaseUnits Units() const { return units_; }

  private:
    bool GetProperty(const char16_t* name, VARTYPE vt, VARIANT* value) const;

    const DialogTemplate& dialog_;
    QString caption_;
    DialogBaseUnits units_;
    IDispatch* object_ = nullptr;
    bool created_ = false;
};

// The framework's message box for a value that did not pass; tests may answer it themselves.
void ShowValidationMessage(QWidget* page, const QString& message);

}  // namespace aldra
