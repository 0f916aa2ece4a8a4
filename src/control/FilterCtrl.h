// The filter control: the one object a cataloguing host creates and drives through its dispatch
// interface, file by file (quick test, attach, metadata, thumbnail, conversion, pages, detach).
#pragma once
#include <atomic>
#include <cstdint>
#include <string>

#include "aldra/DispIds.h"
#include "aldra/FilterInterfaces.h"
#include "base/File.h"
#include "control/FactTable.h"
#include "control/FilterSettings.h"
#include "eps/EpsInfo.h"
#include "eps/EpsReader.h"
#include "eps/LeadingComments.h"
#include "mac/PictPreview.h"
#include "platform/com/Com.h"

namespace aldra {

// What categories and notes take from the attached file besides the header facts: its leading
// comments, taken by the attach scan, and the Photoshop block of the Color Central high-resolution
// file they name, read at the first getter that needs it. Each is kept with the stamp of the file it
// came from; a getter that finds the file changed reads it again, as if nothing were kept.
struct AttachedComments {
    LeadingComments own;
    FileStamp ownStamp;
    bool ownTaken = false;
    LeadingComments hiRes;
    std::string hiResPath;
    FileStamp hiResStamp;
    bool hiResTaken = false;
};

class CFilterCtrl : public IDispatch {
  public:
    CFilterCtrl();
    CFilterCtrl(const CFilterCtrl&) = delete;
    CFilterCtrl& operator=(const CFilterCtrl&) = delete;

    // IUnknown
    HRESULT QueryInterface(REFIID iid, void** out) override;
    ULONG AddRef() override;
    ULONG Release() override;
    // IDispatch
    HRESULT GetTypeInfoCount(uint32_t* count) override;
    HRESULT GetTypeInfo(uint32_t index, LCID lcid, void** info) override;
    HRESULT GetIDsOfNames(REFIID iid, const OLECHAR* const* names, uint32_t count, LCID lcid,
                          DISPID* ids) override;
    HRESULT Invoke(DISPID id, REFIID iid, LCID lcid, uint16_t flags, DISPPARAMS* params, VARIANT* result,
                   EXCEPINFO* excep, uint32_t* argErr) override;

    // The window lifetime, called by the host around its use of the control: settings are loaded and
    // the colour tables taken when the window is created, and let go when it is destroyed. A host
    // that never creates the window gets them at the first call that needs them. 0 on success, -1 on
    // failure.
    int CreateWindow();
    void DestroyWindow();
    bool HasWindow() const { return windowCreated_; }

    // The dispatch methods. Those that refuse a file raise a DispatchException (only Invoke catches it).
    // Paths are UTF-8; an empty one names no file.
    float InfoGetWidth();
    float InfoGetHeight();
    int32_t InfoGetKind();
    IDispatch* GetThumbnail(int32_t width, int32_t height, bool useStoredThumbnail);
    float InfoGetHResolution();
    float InfoGetVResolution();
    std::string InfoGetCategories();
    std::string InfoGetNotes();
    std::string InfoGetMacSignature();
    std::string InfoGetCreatingSoftware();
    std::string InfoGetImageName();
    std::string InfoGetUser();
    std::string InfoGetMacType();
    bool AttachFile(const std::string& path);
    void DetachFile();
    bool ConvertTo(const std::string& to, const std::string& type);
    std::string QuickTest(const std::string& filename, const VARIANT* buffer);
    bool ShowProperties();
    bool HasSetup();
    bool Setup();
    bool ConvertToSize(const std::string& to, const std::string& type, int32_t width, int32_t height);
    std::string GetDefaultExtension();
    void AboutBox();
    // The information interface: the document's further facts (FactTable.h), read at the first
    // call after an attach, as UTF-8 text.
    std::string FactNames();
    std::string GetFact(const std::string& name);
    // What the getters above, GetDefaultExtension and the eight properties answer, and with
    // `withFacts` the facts, as one text (FilterRecord.h) for a host that reads them all at once.
    std::string GetRecord(bool withFacts);

    // Raise a refusal towards the host; neither returns.
    [[noreturn]] static void RaiseFilterMessage(const std::string& text);
    [[noreturn]] static void RaiseFilterError(Status status);

    // The eight exported properties (ANSI text), readable and writable by name.
    std::string postScriptVersion;
    std::string epsfVersion;
    int32_t epsfType = 0;
    std::string colors;
    std::string fonts;
    std::string links;
    int32_t opiSystem = 0;
    std::string opiHiResFileName;

    const FilterSettings& settings() const { return settings_; }
    const std::string& filePath() const { return filePath_; }

  private:
    ~CFilterCtrl();

    class FilterInfo : public IAldraFilterInfo {
      public:
        explicit FilterInfo(CFilterCtrl* outer) : outer_(outer) {}
        HRESULT QueryInterface(REFIID iid, void** out) override { return outer_->QueryInterface(iid, out); }
        ULONG AddRef() override { return outer_->AddRef(); }
        ULONG Release() override { return outer_->Release(); }
        HRESULT GetFilterName(BSTR* pbsFilterName) override;
        HRESULT GetFilterVersion(int32_t* plVersion) override;
        HRESULT CountFormats(int32_t* plNumEntries) override;
        HRESULT GetIndExtension(int32_t lIndex, BSTR* pbsExtension) override;
        HRESULT GetIndFormat(int32_t lIndex, BSTR* pbsFormat) override;
        HRESULT GetIndNeedsExtension(int32_t lIndex, VARIANT_BOOL* pbNeedsExtension) override;
        HRESULT GetIndDefaultBitmap(int32_t lIndex, BSTR* pbsPathName) override;
        HRESULT GetIndDefaultMacType(int32_t lIndex, BSTR* pbsFileType) override;
        HRESULT GetIndDefaultMacSignature(int32_t lIndex, BSTR* pbsSignature) override;

      private:
        CFilterCtrl* outer_;
    };

    class ControlWindow : public IAldraControlWindow {
      public:
        explicit ControlWindow(CFilterCtrl* outer) : outer_(outer) {}
        HRESULT QueryInterface(REFIID iid, void** out) override { return outer_->QueryInterface(iid, out); }
        ULONG AddRef() override { return outer_->AddRef(); }
        ULONG Release() override { return outer_->Release(); }
        HRESULT CreateControlWindow() override { return outer_->CreateWindow() == 0 ? S_OK : E_FAIL; }
        HRESULT DestroyControlWindow() override {
            if (outer_->HasWindow()) outer_->DestroyWindow();
            return S_OK;
        }

      private:
        CFilterCtrl* outer_;
    };

    class FilterFacts : public IAldraFilterRecord {
      public:
        explicit FilterFacts(CFilterCtrl* outer) : outer_(outer) {}
        HRESULT QueryInterface(REFIID iid, void** out) override { return outer_->QueryInterface(iid, out); }
        ULONG AddRef() override { return outer_->AddRef(); }
        ULONG Release() override { return outer_->Release(); }
        HRESULT FactNames(BSTR* pbsNames) override;
        HRESULT GetFact(BSTR bsName, BSTR* pbsValue) override;
        HRESULT GetRecord(VARIANT_BOOL bWithFacts, BSTR* pbsRecord) override;

      private:
        CFilterCtrl* outer_;
    };

    const FilterSettings& LoadedSettings();
    void HoldColourTables();
    void LetGoOfColourTables();
    void ClearAttachedFacts();
    void RefuseUncataloguedFile();
    void TakeHeaderFacts(EpsInfo* info);
    void TakeResourceForkFacts(const FileReader* head);
    // A PDF-based Illustrator file takes its facts from its page box and XMP packet instead.
    void AttachPdfFile();
    void ForgetAttachedComments();
    const LeadingComments& OwnComments();
    // The same, for a reading of the file that found it as `stamp` says: the attach's comments when
    // it read that version, with no further look at the file.
    const LeadingComments& OwnCommentsOf(const FileStamp& stamp);
    const LeadingComments& HiResComments(const std::string& path);
    std::string CategoriesOf(const LeadingComments& own);
    std::string NotesOf(const LeadingComments& own);
    // `now`, when given, is the file's stamp as the caller just took it, so that one look serves both.
    const FactList& DocumentFacts(const FileStamp* now = nullptr);
    // The document facts from the attach's reading, when they cost at most a short read more; else
    // the first bytes it read are kept for the reading that takes them.
    void TakeFactsAtAttach(EpsReader* eps, bool textInFirstRead);
    FactList PreviewFacts() const;
    // The resource fork's PICT preview, scaled to exactly width x height, as a picture or a bitmap file.
    PictSource PictSourceOf() const { return {filePath_, kind_, quickTimeReady_}; }
    IDispatch* PictureFromPict(int32_t width, int32_t height);
    bool WritePictBmp(const std::string& path, int32_t width, int32_t height);

    std::atomic<ULONG> refCount_{1};
    bool windowCreated_ = false;
    bool settingsLoaded_ = false;
    bool colourTablesHeld_ = false;

    // The control's state, in the order hosts and pages rely on.
    FilterInfo info_{this};
    std::string creatingSoftware_;
    bool quickTimeReady_ = false;
    FilterSettings settings_;
    bool isDosEpsBinary_ = false;
    bool isIllustrator_ = false;
    int32_t kind_ = 0;  // 0 one bit or unknown, 1 greyscale, 2 colour
    double widthInches_ = 0;
    double heightInches_ = 0;
    double hResolution_ = 0;
    double vResolution_ = 0;
    std::string filePath_;
    AttachedComments comments_;
    FactList facts_;
    // Taken at the attach, kept with the stamp of the leading comments, used while the file is unchanged.
    FactList firstReadFacts_;
    // Else the first bytes the attach read, for the reading that takes the facts.
    KeptWindow firstWindow_;
    bool firstReadFactsTaken_ = false;
    // The own pixel size of the raster preview the last thumbnail came from; 0 x 0 before one or
    // for drawn artwork. Answered as facts once known.
    uint32_t previewPixelWidth_ = 0;
    uint32_t previewPixelHeight_ = 0;
    bool factsTaken_ = true;  // false from an attach until the first call that reads them
    ControlWindow window_{this};
    FilterFacts factsInterface_{this};
};

}  // namespace aldra
