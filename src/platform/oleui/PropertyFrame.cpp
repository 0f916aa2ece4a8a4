#include "platform/oleui/PropertyFrame.h"

#include <QPushButton>
#include <memory>
#include <vector>

#include "platform/oleui/Application.h"
#include "platform/oleui/PageDialog.h"

namespace aldra {

namespace {

constexpr HRESULT kClassNotRegistered = static_cast<HRESULT>(0x80040154);

struct PageClass {
    CLSID clsid;
    PropertyPageFactory factory;
};

std::vector<PageClass>& PageClasses() {
    static std::vector<PageClass> classes;
    return classes;
}

PropertyPageFactory FindPageClass(const CLSID& clsid) {
    for (const PageClass& entry : PageClasses())
        if (entry.clsid == clsid) return entry.factory;
    return nullptr;
}

class PropertyFrame : public PageDialog {
  public:
    PropertyFrame(const QString& caption, QWidget* owner)
        : PageDialog(caption, owner,
                     QDialogButtonBox::Ok | QDialogButtonBox::Cancel | QDialogButtonBox::Apply) {
        setObjectName(QStringLiteral("propertyFrame"));
        QPushButton* apply = Buttons()->button(QDialogButtonBox::Apply);
        apply->setObjectName(QStringLiteral("apply"));
        // Enabled once a page has changes to apply; the pages shown here only read.
        apply->setEnabled(false);
        connect(apply, &QPushButton::clicked, this, [this] { ApplyPages(); });
    }
    ~PropertyFrame() override {
        DetachPages();
        owned_.clear();
    }

    void Own(PropertyPage* page) {
        owned_.emplace_back(page);
        AddPage(page);
    }

  protected:
    bool FinishWithOk() override { return ApplyPages(); }

  private:
    bool ApplyPages() {
        PropertyPage* active = ActivePage();
        if (active != nullptr && !active->OnKillActive()) return false;
        for (int i = 0; i < PageCount(); ++i)
            if (Page(i)->IsCreated() && !Page(i)->OnApply()) return false;
        return true;
    }

    std::vector<std::unique_ptr<PropertyPage>> owned_;
};

QString FrameCaption(const OLECHAR* caption) {
    if (caption == nullptr || caption[0] == 0) return QStringLiteral("Properties");
    return QString::fromUtf16(caption) + QStringLiteral(" Properties");
}

}  // namespace

void RegisterPropertyPageClass(const CLSID& clsid, PropertyPageFactory factory) {
    for (PageClass& entry : PageClasses()) {
        if (entry.clsid == clsid) {
            entry.factory = factory;
            return;
        }
    }
    PageClasses().push_back(PageClass{clsid, factory});
}

HRESULT OleCreatePropertyFrame(QWidget* owner, uint32_t, uint32_t, const OLECHAR* caption,
                               uint32_t objectCount, IUnknown** objects, uint32_t pageCount,
                               const CLSID* pages, LCID) {
    if (objectCount == 0 || objects == nullptr || objects[0] == nullptr || pageCount == 0 || pages == nullptr)
        return E_INVALIDARG;
    for (uint32_t i = 0; i < pageCount; ++i)
        if (FindPageClass(pages[i]) == nullptr) return kClassNotRegistered;
    if (!EnsureApplication(nullptr)) return E_FAIL;
    IDispatch* object = nullptr;
    if (FAILED(objects[0]->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&object))))
        return E_NOINTERFACE;
    {
        PropertyFrame frame(FrameCaption(caption), owner);
        for (uint32_t i = 0; i < pageCount; ++i) {
            PropertyPage* page = FindPageClass(pages[i])();
            page->SetObject(object);
            frame.Own(page);
        }
        frame.Run(0);
    }
    object->Release();
    return S_OK;
}

}  // namespace aldra
