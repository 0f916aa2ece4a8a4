// Picture objects: who deletes the bitmap, which interfaces answer, and the sizes the host reads.
#include <gtest/gtest.h>

#include <cstdlib>

#include "OleTestSupport.h"
#include "platform/com/Com.h"

namespace aldra::test {
namespace {

bool Alive(HBITMAP bitmap) {
    BITMAP bm{};
    return GetObject(bitmap, sizeof bm, &bm) != 0;
}

TEST(PictureLifetime, AnOwningPictureDeletesItsBitmapOnTheLastReleaseOnly) {
    const long before = ModuleLock::Count();
    for (BOOL own : {TRUE, FALSE}) {
        const HBITMAP bitmap = SourceDib(24, 3, 2, false).Section();
        HDC dc = CreateCompatibleDC(nullptr);  // drawn in a context that goes first
        HGDIOBJ kept = SelectObject(dc, bitmap);
        IPicture* picture = MakePicture(bitmap, own);
        ASSERT_NE(picture, nullptr);
        SelectObject(dc, kept);
        DeleteDC(dc);
        EXPECT_EQ(ModuleLock::Count(), before + 1);
        void* disp = nullptr;
        ASSERT_EQ(picture->QueryInterface(IID_IPictureDisp, &disp), S_OK);
        EXPECT_EQ(picture->Release(), 1u);
        EXPECT_TRUE(Alive(bitmap));  // the dispatch reference keeps it
        EXPECT_EQ(static_cast<IDispatch*>(disp)->Release(), 0u);
        EXPECT_EQ(Alive(bitmap), !own);
        EXPECT_EQ(ModuleLock::Count(), before);
        if (!own) DeleteObject(bitmap);
    }
}

TEST(PictureCreation, RefusalsLeaveTheBitmapWithTheCaller) {
    const HBITMAP bitmap = SourceDib(8, 2, 2, false).Section();
    PICTDESC desc{sizeof(PICTDESC), static_cast<UINT>(PICTYPE_BITMAP), {}};
    desc.bmp.hbitmap = bitmap;
    void* out = reinterpret_cast<void*>(1);
    EXPECT_EQ(OleCreatePictureIndirect(&desc, IID_IClassFactory, TRUE, &out), E_NOINTERFACE);
    EXPECT_EQ(out, nullptr);
    EXPECT_EQ(OleCreatePictureIndirect(&desc, IID_IPicture, TRUE, nullptr), E_POINTER);
    for (auto spoil :
         {+[](PICTDESC& d) { d.cbSizeofstruct = 16; }, +[](PICTDESC& d) { d.picType = PICTYPE_ICON; },
          +[](PICTDESC& d) { d.bmp.hbitmap = HBITMAP::FromRaw(0x7FFF0000); }}) {
        PICTDESC bad = desc;
        spoil(bad);
        EXPECT_EQ(OleCreatePictureIndirect(&bad, IID_IPicture, TRUE, &out), E_INVALIDARG);
    }
    EXPECT_TRUE(Alive(bitmap));
    DeleteObject(bitmap);
}

TEST(PictureSize, IsHimetricAtTheResolutionOfCreation) {
    const std::tuple<const char*, int, int, LONG, LONG> cases[] = {{"96", 100, 37, 2646, 979},
                                                                   {"200", 100, 37, 1270, 470}};
    for (const auto& [dpi, width, height, himetricWidth, himetricHeight] : cases) {
        const HBITMAP bitmap = SourceDib(8, width, height, false).Section();
        setenv("ALDRA_SCREEN_DPI", dpi, 1);
        IPicture* picture = MakePicture(bitmap, TRUE);
        unsetenv("ALDRA_SCREEN_DPI");
        LONG w = 0, h = 0;
        picture->get_Width(&w);
        picture->get_Height(&h);
        EXPECT_EQ(std::pair(w, h), std::pair(himetricWidth, himetricHeight)) << dpi;
        void* out = nullptr;
        ASSERT_EQ(picture->QueryInterface(IID_IPictureDisp, &out), S_OK);
        auto* disp = static_cast<IDispatch*>(out);
        const OLECHAR* names[] = {u"hEiGhT"};
        const OLECHAR* unknownName[] = {u"Render"};
        DISPID id = 0;
        EXPECT_EQ(disp->GetIDsOfNames(IID_NULL, unknownName, 1, 0, &id), DISP_E_UNKNOWNNAME);
        ASSERT_EQ(disp->GetIDsOfNames(IID_NULL, names, 1, 0, &id), S_OK);
        VARIANT arg = MakeI4(0), result;
        VariantInit(&result);
        DISPID putId = DISPID_PROPERTYPUT;
        DISPPARAMS none{nullptr, nullptr, 0, 0}, put{&arg, &putId, 1, 1}, one{&arg, nullptr, 1, 0};
        auto get = [&](DISPID member, WORD flags, DISPPARAMS* params) {
            return disp->Invoke(member, IID_NULL, 0, flags, params, &result, nullptr, nullptr);
        };
        ASSERT_EQ(get(id, DISPATCH_PROPERTYGET, &none), S_OK);
        EXPECT_EQ(result.lVal, himetricHeight);
        ASSERT_EQ(get(DISPID_PICT_HANDLE, DISPATCH_PROPERTYGET, &none), S_OK);
        EXPECT_EQ(static_cast<uint32_t>(result.lVal), bitmap.Raw());
        EXPECT_EQ(get(DISPID_PICT_WIDTH, DISPATCH_PROPERTYPUT, &put), DISP_E_MEMBERNOTFOUND);
        EXPECT_EQ(get(DISPID_PICT_WIDTH, DISPATCH_PROPERTYGET, &one), DISP_E_BADPARAMCOUNT);
        EXPECT_EQ(get(77, DISPATCH_PROPERTYGET, &none), DISP_E_MEMBERNOTFOUND);
        disp->Release();
        picture->Release();
    }
}

}  // namespace
}  // namespace aldra::test
