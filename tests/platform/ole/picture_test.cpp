// Picture objects: who deletes the bitmap, which interfaces answer, and the sizes the host reads.
#include <gtest/gtest.h>

#include <cstdlib>

#include "OleTestSupport.h"
#include "platform/com/Com.h"

namespace aldra::test {
namespace {

class Dpi {
  public:
    explicit Dpi(const char* value) { setenv("ALDRA_SCREEN_DPI", value, 1); }
    ~Dpi() { unsetenv("ALDRA_SCREEN_DPI"); }
};

TEST(PictureIdentity, InterfaceIdsAreTheWindowsOnes) {
    EXPECT_EQ(FormatGuid(IID_IPicture), "{7BF80980-BF32-101A-8BBB-00AA00300CAB}");
    EXPECT_EQ(FormatGuid(IID_IPictureDisp), "{7BF80981-BF32-101A-8BBB-00AA00300CAB}");
}

TEST(PictureLifetime, AnOwningPictureDeletesItsBitmapOnTheLastRelease) {
    TestBitmap b(24, 4, 4);
    IPicture* picture = MakePicture(b.bitmap, TRUE);
    ASSERT_NE(picture, nullptr);
    void* disp = nullptr;
    ASSERT_EQ(picture->QueryInterface(IID_IPictureDisp, &disp), S_OK);
    EXPECT_EQ(picture->Release(), 1u);
    EXPECT_EQ(GetObjectType(b.bitmap), OBJ_BITMAP);  // the dispatch reference keeps it
    EXPECT_EQ(static_cast<IDispatch*>(disp)->Release(), 0u);
    EXPECT_EQ(GetObjectType(b.bitmap), 0u);
}

TEST(PictureLifetime, ABorrowingPictureLeavesItsBitmap) {
    TestBitmap b(8, 4, 4);
    IPicture* picture = MakePicture(b.bitmap, FALSE);
    ASSERT_NE(picture, nullptr);
    EXPECT_EQ(picture->Release(), 0u);
    EXPECT_EQ(GetObjectType(b.bitmap), OBJ_BITMAP);
    EXPECT_TRUE(DeleteObject(b.bitmap));
}

TEST(PictureLifetime, OutlivesTheContextItWasDrawnIn) {
    TestBitmap b(24, 3, 2);
    HDC screen = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    HGDIOBJ kept = SelectObject(dc, b.bitmap);
    IPicture* picture = MakePicture(b.bitmap, TRUE);
    ASSERT_NE(picture, nullptr);
    SelectObject(dc, kept);
    DeleteDC(dc);
    ReleaseDC(nullptr, screen);
    RgbImage image;
    ASSERT_EQ(picture->ReadRgbRows(&image), CodeOf(kOk));
    uint8_t want[3];
    b.Rgb(2, 1, want);
    EXPECT_EQ(image.rgb[(1 * 3 + 2) * 3 + 0], want[0]);
    picture->Release();
}

TEST(PictureLifetime, AliveCountsTowardsTheModuleLock) {
    const long before = ModuleLock::Count();
    TestBitmap b(8, 2, 2);
    IPicture* picture = MakePicture(b.bitmap, TRUE);
    EXPECT_EQ(ModuleLock::Count(), before + 1);
    picture->Release();
    EXPECT_EQ(ModuleLock::Count(), before);
}

TEST(PictureCreation, RefusalsLeaveTheBitmapWithTheCaller) {
    TestBitmap b(8, 2, 2);
    PICTDESC desc{};
    desc.cbSizeofstruct = sizeof desc;
    desc.picType = PICTYPE_BITMAP;
    desc.bmp.hbitmap = b.bitmap;
    void* out = reinterpret_cast<void*>(1);
    const IID other{0x12345678, 1, 2, {3, 4, 5, 6, 7, 8, 9, 10}};
    EXPECT_EQ(OleCreatePictureIndirect(&desc, other, TRUE, &out), E_NOINTERFACE);
    EXPECT_EQ(out, nullptr);
    EXPECT_EQ(GetObjectType(b.bitmap), OBJ_BITMAP);
    desc.cbSizeofstruct = 16;
    EXPECT_EQ(OleCreatePictureIndirect(&desc, IID_IPicture, TRUE, &out), E_INVALIDARG);
    desc.cbSizeofstruct = sizeof desc;
    desc.picType = PICTYPE_ICON;
    EXPECT_EQ(OleCreatePictureIndirect(&desc, IID_IPicture, TRUE, &out), E_INVALIDARG);
    desc.picType = PICTYPE_BITMAP;
    desc.bmp.hbitmap = HBITMAP::FromRaw(0x7FFF0000);  // no such bitmap
    EXPECT_EQ(OleCreatePictureIndirect(&desc, IID_IPicture, TRUE, &out), E_INVALIDARG);
    EXPECT_EQ(OleCreatePictureIndirect(&desc, IID_IPicture, TRUE, nullptr), E_POINTER);
    EXPECT_EQ(GetObjectType(b.bitmap), OBJ_BITMAP);
    DeleteObject(b.bitmap);
}

TEST(PictureCreation, WithoutADescriptionThePictureIsEmpty) {
    void* out = nullptr;
    ASSERT_EQ(OleCreatePictureIndirect(nullptr, IID_IPicture, TRUE, &out), S_OK);
    auto* picture = static_cast<IPicture*>(out);
    SHORT type = 0;
    OLE_HANDLE handle = 1;
    picture->get_Type(&type);
    picture->get_Handle(&handle);
    EXPECT_EQ(type, PICTYPE_UNINITIALIZED);
    EXPECT_EQ(handle, 0u);
    RgbImage image;
    EXPECT_EQ(picture->ReadRgbRows(&image), CodeOf(kErrFormat));
    EXPECT_EQ(picture->SaveAsBmp("/nonexistent/never.bmp"), CodeOf(kErrFormat));
    picture->Release();
}

TEST(PictureInterfaces, EveryInterfaceLeadsToTheSameObject) {
    TestBitmap b(24, 2, 2);
    IPicture* picture = MakePicture(b.bitmap, TRUE);
    void* unknown1 = nullptr;
    void* dispatch = nullptr;
    void* unknown2 = nullptr;
    void* back = nullptr;
    ASSERT_EQ(picture->QueryInterface(IID_IUnknown, &unknown1), S_OK);
    ASSERT_EQ(picture->QueryInterface(IID_IDispatch, &dispatch), S_OK);
    ASSERT_EQ(static_cast<IDispatch*>(dispatch)->QueryInterface(IID_IUnknown, &unknown2), S_OK);
    ASSERT_EQ(static_cast<IDispatch*>(dispatch)->QueryInterface(IID_IPicture, &back), S_OK);
    EXPECT_EQ(unknown1, unknown2);  // COM identity
    EXPECT_EQ(back, static_cast<void*>(picture));
    void* none = reinterpret_cast<void*>(1);
    EXPECT_EQ(picture->QueryInterface(IID_IClassFactory, &none), E_NOINTERFACE);
    EXPECT_EQ(none, nullptr);
    static_cast<IUnknown*>(unknown1)->Release();
    static_cast<IUnknown*>(unknown2)->Release();
    static_cast<IPicture*>(back)->Release();
    static_cast<IDispatch*>(dispatch)->Release();
    EXPECT_EQ(picture->Release(), 0u);
}

TEST(PictureSize, HimetricAtTheScreenResolutionOfCreation) {
    TestBitmap b(8, 100, 37);
    IPicture* at96 = nullptr;
    {
        Dpi dpi("96");
        at96 = MakePicture(b.bitmap, FALSE);
    }
    LONG w = 0, h = 0;
    at96->get_Width(&w);
    at96->get_Height(&h);
    EXPECT_EQ(w, 2646);  // 100 * 2540 / 96 = 2645.8
    EXPECT_EQ(h, 979);   // 37 * 2540 / 96 = 978.96
    IPicture* at200 = nullptr;
    {
        Dpi dpi("200");
        at200 = MakePicture(b.bitmap, FALSE);
    }
    at200->get_Width(&w);
    EXPECT_EQ(w, 1270);
    SHORT type = 0;
    OLE_HANDLE handle = 0;
    at200->get_Type(&type);
    at200->get_Handle(&handle);
    EXPECT_EQ(type, PICTYPE_BITMAP);
    EXPECT_EQ(handle, b.bitmap.Raw());
    EXPECT_EQ(at200->get_Width(nullptr), E_POINTER);
    at96->Release();
    at200->Release();
    DeleteObject(b.bitmap);
}

TEST(PictureDispatch, PropertiesReadByNameAndId) {
    TestBitmap b(24, 96, 48);
    IPicture* picture = nullptr;
    {
        Dpi dpi("96");
        picture = MakePicture(b.bitmap, TRUE);
    }
    void* out = nullptr;
    ASSERT_EQ(picture->QueryInterface(IID_IPictureDisp, &out), S_OK);
    auto* disp = static_cast<IDispatch*>(out);
    const OLECHAR* names[] = {u"wIdTh"};
    DISPID id = 0;
    ASSERT_EQ(disp->GetIDsOfNames(IID_NULL, names, 1, 0, &id), S_OK);
    EXPECT_EQ(id, DISPID_PICT_WIDTH);
    const OLECHAR* unknownName[] = {u"Render"};
    EXPECT_EQ(disp->GetIDsOfNames(IID_NULL, unknownName, 1, 0, &id), DISP_E_UNKNOWNNAME);

    DISPPARAMS none{nullptr, nullptr, 0, 0};
    VARIANT result;
    VariantInit(&result);
    ASSERT_EQ(
        disp->Invoke(DISPID_PICT_WIDTH, IID_NULL, 0, DISPATCH_PROPERTYGET, &none, &result, nullptr, nullptr),
        S_OK);
    EXPECT_EQ(result.vt, VT_I4);
    EXPECT_EQ(result.lVal, 2540);
    ASSERT_EQ(
        disp->Invoke(DISPID_PICT_HEIGHT, IID_NULL, 0, DISPATCH_PROPERTYGET, &none, &result, nullptr, nullptr),
        S_OK);
    EXPECT_EQ(result.lVal, 1270);
    ASSERT_EQ(disp->Invoke(DISPID_PICT_TYPE, IID_NULL, 0, DISPATCH_PROPERTYGET | DISPATCH_METHOD, &none,
                           &result, nullptr, nullptr),
              S_OK);
    EXPECT_EQ(result.vt, VT_I2);
    EXPECT_EQ(result.iVal, PICTYPE_BITMAP);
    ASSERT_EQ(
        disp->Invoke(DISPID_PICT_HANDLE, IID_NULL, 0, DISPATCH_PROPERTYGET, &none, &result, nullptr, nullptr),
        S_OK);
    EXPECT_EQ(static_cast<uint32_t>(result.lVal), b.bitmap.Raw());

    VARIANT arg;
    VariantInit(&arg);
    arg.vt = VT_I4;
    DISPID putId = DISPID_PROPERTYPUT;
    DISPPARAMS put{&arg, &putId, 1, 1};
    EXPECT_EQ(
        disp->Invoke(DISPID_PICT_WIDTH, IID_NULL, 0, DISPATCH_PROPERTYPUT, &put, nullptr, nullptr, nullptr),
        DISP_E_MEMBERNOTFOUND);
    DISPPARAMS one{&arg, nullptr, 1, 0};
    EXPECT_EQ(
        disp->Invoke(DISPID_PICT_WIDTH, IID_NULL, 0, DISPATCH_PROPERTYGET, &one, &result, nullptr, nullptr),
        DISP_E_BADPARAMCOUNT);
    EXPECT_EQ(disp->Invoke(77, IID_NULL, 0, DISPATCH_PROPERTYGET, &none, &result, nullptr, nullptr),
              DISP_E_MEMBERNOTFOUND);
    disp->Release();
    picture->Release();
}

}  // namespace
}  // namespace aldra::test
