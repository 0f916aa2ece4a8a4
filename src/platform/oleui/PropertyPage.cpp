#include "platform/oleui/PropertyPage.h"

#include <QApplication>
#include <QLineEdit>
#include <QMessageBox>

namespace aldra {

PropertyPage::PropertyPage(const DialogTemplate& dialog, const QString& caption)
    : dialog_(dialog), caption_(caption), units_(BaseUnitsOf(DialogFont())) {
    setFont(DialogFont());
    setFixedSize(TemplateSize());
}

PropertyPage::~PropertyPage() {
    SetObject(nullptr);
}

QSize PropertyPage::TemplateSize() const {
    return DialogPixelSize(dialog_, units_);
}

void PropertyPage::SetObject(IDispatch* object) {
    if (object != nullptr) object->AddRef();
    if (object_ != nullptr) object_->Release();
    object_ = object;
}

bool PropertyPage::Activate() {
    if (created_) return true;
    BuildDialogControls(this, dialog_, units_);
    created_ = true;
    return OnInitDialog();
}

bool PropertyPage::UpdateData(bool saving) {
    if (!created_) return true;
    DataExchange dx(this, saving);
    DoDataExchange(dx);
    if (!dx.Failed()) return true;
    if (QWidget* control = Item(dx.LastControl())) {
        control->setFocus();
        if (auto* edit = qobject_cast<QLineEdit*>(control)) edit->selectAll();
    }
    ShowValidationMessage(this, dx.Message());
    return false;
}

QWidget* PropertyPage::Item(int id) const {
    return findChild<QWidget*>(ControlName(id), Qt::FindDirectChildrenOnly);
}

bool PropertyPage::GetProperty(const char16_t* name, VARTYPE vt, VARIANT* value) const {
    if (object_ == nullptr) return false;
    DISPID id = DISPID_UNKNOWN;
    const OLECHAR* names[] = {name};
    if (FAILED(object_->GetIDsOfNames(IID_NULL, names, 1, 0, &id))) return false;
    DISPPARAMS none{};
    VARIANT result;
    VariantInit(&result);
    if (FAILED(object_->Invoke(id, IID_NULL, 0, DISPATCH_PROPERTYGET, &none, &result, nullptr, nullptr)))
        return false;
    HRESULT changed = VariantChangeType(value, &result, 0, vt);
    VariantClear(&result);
    return SUCCEEDED(changed);
}

QString PropertyPage::PropertyText(const char16_t* name) const {
    VARIANT value;
    VariantInit(&value);
    if (!GetProperty(name, VT_BSTR, &value)) return QString();
    QString text = QString::fromUtf16(value.bstrVal, static_cast<qsizetype>(SysStringLen(value.bstrVal)));
    VariantClear(&value);
    return text;
}

int32_t PropertyPage::PropertyLong(const char16_t* name) const {
    VARIANT value;
    VariantInit(&value);
    if (!GetProperty(name, VT_I4, &value)) return 0;
    return value.lVal;
}

void ShowValidationMessage(QWidget* page, const QString& message) {
    QMessageBox box(QMessageBox::Warning, page->window()->windowTitle(), message, QMessageBox::Ok, page);
    box.setObjectName(QStringLiteral("validation"));
    box.exec();
}

}  // namespace aldra
