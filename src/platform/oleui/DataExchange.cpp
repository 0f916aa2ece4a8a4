#include "platform/oleui/DataExchange.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>

namespace aldra {

namespace {

QString PlainText(QWidget* control) {
    if (auto* line = qobject_cast<QLineEdit*>(control)) return line->text();
    if (auto* block = qobject_cast<QPlainTextEdit*>(control)) return block->toPlainText();
    return control->windowTitle();
}

void SetPlainText(QWidget* control, const QString& text) {
    if (auto* line = qobject_cast<QLineEdit*>(control)) {
        line->setText(text);
        line->setCursorPosition(0);
    } else if (auto* block = qobject_cast<QPlainTextEdit*>(control)) {
        block->setPlainText(text);
    }
}

// Leading and trailing white space is allowed around the digits; anything else is not a number.
bool ParseUnsigned(const QString& text, uint32_t* value) {
    QString digits = text.trimmed();
    if (digits.isEmpty()) return false;
    bool ok = false;
    qulonglong number = digits.toULongLong(&ok, 10);
    if (!ok || number > UINT32_MAX || digits.startsWith(u'+')) return false;
    *value = static_cast<uint32_t>(number);
    return true;
}

}  // namespace

void DataExchange::Fail(const QString& message) {
    if (failed_) return;
    failed_ = true;
    message_ = message;
}

void ExchangeText(DataExchange& dx, int id, QString& value) {
    if (dx.Failed()) return;
    QWidget* control = dx.Take<QWidget>(id);
    if (control == nullptr) return;
    if (dx.Saving()) {
        value = PlainText(control);
    } else {
        SetPlainText(control, value);
    }
}

void ExchangeUnsigned(DataExchange& dx, int id, uint32_t& value) {
    if (dx.Failed()) return;
    QWidget* control = dx.Take<QWidget>(id);
    if (control == nullptr) return;
    if (!dx.Saving()) {
        SetPlainText(control, QString::number(value));
        return;
    }
    uint32_t number = 0;
    if (!ParseUnsigned(PlainText(control), &number)) {
        dx.Fail(QStringLiteral("Please enter a positive integer."));
        return;
    }
    value = number;
}

void ExchangeCheck(DataExchange& dx, int id, bool& value) {
    if (dx.Failed()) return;
    auto* box = dx.Take<QAbstractButton>(id);
    if (box == nullptr) return;
    if (dx.Saving()) {
        value = box->isChecked();
    } else {
        box->setChecked(value);
    }
}

void ExchangeRadio(DataExchange& dx, std::initializer_list<int> group, int& index) {
    if (dx.Failed()) return;
    int position = 0;
    if (dx.Saving()) index = -1;
    for (int id : group) {
        auto* button = dx.Take<QAbstractButton>(id);
        if (button != nullptr) {
            if (dx.Saving() && button->isChecked()) index = position;
            if (!dx.Saving()) button->setChecked(position == index);
        }
        ++position;
    }
    if (group.size() > 0) dx.Take<QWidget>(*group.begin());
}

void ExchangeComboText(DataExchange& dx, int id, QString& value) {
    if (dx.Failed()) return;
    auto* combo = dx.Take<QComboBox>(id);
    if (combo == nullptr) return;
    if (dx.Saving()) {
        value = combo->currentText();
        return;
    }
    int found = combo->findText(value, Qt::MatchFixedString);
    combo->setCurrentIndex(found);
    if (found < 0) combo->setEditText(value);
}

void ValidateUnsignedRange(DataExchange& dx, uint32_t value, uint32_t minimum, uint32_t maximum) {
    if (dx.Failed() || !dx.Saving()) return;
    if (value < minimum || value > maximum)
        dx.Fail(QStringLiteral("Please enter an integer between %1 and %2.").arg(minimum).arg(maximum));
}

}  // namespace aldra
