#include "ui/SetupPropertySheet.h"

#include "platform/com/Ansi.h"
#include "platform/oleui/Application.h"

namespace aldra {

namespace {

QString FromAnsi(const std::string& text) {
    return QString::fromStdString(AnsiToUtf8(text));
}

std::string ToAnsi(const QString& text) {
    return Utf8ToAnsi(text.toStdString());
}

}  // namespace

CSetupPropertySheet::CSetupPropertySheet(const QString& caption) : CPropertySheet(caption, nullptr, 0) {
    AddPage(&previewPage);
    AddPage(&opiPage);
    AddPage(&anpaPage);
    AddPage(&illustratorPage);
}

void CSetupPropertySheet::SetData(const FilterSettings& settings) {
    previewPage.resolution = settings.previewResolution;
    opiPage.heliosAware = settings.heliosAware;
    opiPage.heliosLayoutExtension = FromAnsi(settings.heliosLayoutExtension);
    opiPage.heliosLayoutsOnly = settings.heliosLayoutsOnly ? 1 : 0;
    opiPage.ccAware = settings.ccAware;
    opiPage.ccNotesFromHiRes = settings.ccNotesFromHiRes;
    opiPage.ccKeywordsFromHiRes = settings.ccKeywordsFromHiRes;
    opiPage.addCcCategory = settings.addCcCategory;
    opiPage.ccCategory = FromAnsi(settings.ccCategory);
    anpaPage.SetData(settings.anpa.get());
    illustratorPage.addText = settings.addText;
    illustratorPage.maxText = settings.maxText;
}

Status CSetupPropertySheet::GetData(FilterSettings* settings) const {
    settings->previewResolution = previewPage.resolution;
    settings->heliosAware = opiPage.heliosAware;
    settings->heliosLayoutExtension = ToAnsi(opiPage.heliosLayoutExtension);
    settings->heliosLayoutsOnly = opiPage.heliosLayoutsOnly == 1;
    settings->ccAware = opiPage.ccAware;
    settings->ccNotesFromHiRes = opiPage.ccNotesFromHiRes;
    settings->ccKeywordsFromHiRes = opiPage.ccKeywordsFromHiRes;
    settings->addCcCategory = opiPage.addCcCategory;
    settings->ccCategory = ToAnsi(opiPage.ccCategory);
    Status tableCopied = anpaPage.GetData(settings->anpa.get());
    settings->addText = illustratorPage.addText;
    settings->maxText = illustratorPage.maxText;
    return tableCopied;
}

bool RunSetupSheet(const std::string& caption, FilterSettings* edited) {
    if (edited == nullptr || !EnsureApplication(nullptr)) return false;
    CSetupPropertySheet sheet(FromAnsi(caption));
    sheet.SetData(*edited);
    if (sheet.DoModal() != IDOK) return false;
    // The user confirmed: what could be taken is saved, even when the table could not be.
    (void)sheet.GetData(edited);
    return true;
}

}  // namespace aldra
