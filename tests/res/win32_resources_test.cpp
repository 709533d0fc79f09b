// Checks the resources linked into the executable: the texts, icons, bitmaps,
// dialog and manifest that the program looks up by number at run time.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <type_traits>
#include <vector>

#include "res/resource.h"

namespace {

HMODULE Module()
{
    return GetModuleHandleA(nullptr);
}

struct GdiObjectDeleter {
    void operator()(HGDIOBJ object) const { (void)DeleteObject(object); }
};
using Bitmap = std::unique_ptr<std::remove_pointer_t<HBITMAP>, GdiObjectDeleter>;

struct IconDeleter {
    void operator()(HICON icon) const { (void)DestroyIcon(icon); }
};
using Icon = std::unique_ptr<std::remove_pointer_t<HICON>, IconDeleter>;

struct WindowDeleter {
    void operator()(HWND window) const { (void)DestroyWindow(window); }
};
using Window = std::unique_ptr<std::remove_pointer_t<HWND>, WindowDeleter>;

// A copy of a resource's raw bytes; empty when the resource is missing.
std::vector<unsigned char> ResourceBytes(LPCSTR name, LPCSTR type)
{
    HRSRC info = FindResourceA(Module(), name, type);
    if (info == nullptr) {
        return {};
    }
    HGLOBAL loaded = LoadResource(Module(), info);
    const auto* bytes = static_cast<const unsigned char*>(LockResource(loaded));
    if (bytes == nullptr) {
        return {};
    }
    return std::vector<unsigned char>(bytes, bytes + SizeofResource(Module(), info));
}

uint16_t Word(const unsigned char* p)
{
    return static_cast<uint16_t>(p[0] | (p[1] << 8));
}

// ---------------------------------------------------------------- strings

TEST(Win32Resources, WindowTitleAndClassNameStrings)
{
    for (UINT id : {IDS_WINDOW_TITLE, IDS_WINDOW_CLASS}) {
        char text[256] = {};
        int length = LoadStringA(Module(), id, text, 255);
        EXPECT_EQ(length, 22) << "string " << id;
        EXPECT_STREQ(text, "Orvel's screensaver :)") << "string " << id;
    }
}

// ---------------------------------------------------------------- icons

struct IconImage {
    int size = 0;
    WORD iconId = 0;
};

// Entries of a group icon resource: 6-byte header, then 14 bytes per image.
std::vector<IconImage> GroupIconImages(int groupId)
{
    std::vector<unsigned char> group = ResourceBytes(MAKEINTRESOURCEA(groupId), RT_GROUP_ICON);
    std::vector<IconImage> images;
    if (group.size() < 6) {
        return images;
    }
    const int count = Word(&group[4]);
    for (int i = 0; i < count && 6 + 14 * (i + 1) <= static_cast<int>(group.size()); ++i) {
        const unsigned char* entry = &group[6 + 14 * i];
        EXPECT_EQ(Word(entry + 6), 32) << "bits per pixel of group " << groupId << " entry " << i;
        images.push_back({entry[0] == 0 ? 256 : entry[0], Word(entry + 12)});
    }
    return images;
}

class IconResource : public testing::TestWithParam<int> {};

TEST_P(IconResource, HoldsExactly16And32And48PixelImages)
{
    std::vector<int> sizes;
    for (const IconImage& image : GroupIconImages(GetParam())) {
        sizes.push_back(image.size);
    }
    EXPECT_EQ(sizes, (std::vector<int>{16, 32, 48}));
}

// Every image: a 32-bit colour bitmap whose AND mask agrees with its alpha,
// opaque in the middle, so that it looks right on systems using either.
TEST_P(IconResource, ImagesAreOpaqueInTheMiddleWithAMatchingMask)
{
    for (const IconImage& image : GroupIconImages(GetParam())) {
        SCOPED_TRACE(testing::Message() << "icon " << GetParam() << " at " << image.size);
        std::vector<unsigned char> data = ResourceBytes(MAKEINTRESOURCEA(image.iconId), RT_ICON);
        const int size = image.size;
        const size_t colourBytes = static_cast<size_t>(size) * size * 4;
        const size_t maskStride = ((size + 31) / 32) * 4;
        ASSERT_GE(data.size(), sizeof(BITMAPINFOHEADER) + colourBytes + maskStride * size);

        BITMAPINFOHEADER header;
        std::memcpy(&header, data.data(), sizeof header);
        EXPECT_EQ(header.biWidth, size);
        EXPECT_EQ(header.biHeight, 2 * size);  // colour bitmap and mask stacked
        EXPECT_EQ(header.biBitCount, 32);

        const unsigned char* colour = data.data() + sizeof header;
        const unsigned char* mask = colour + colourBytes;
        for (int row = 0; row < size; ++row) {
            for (int x = 0; x < size; ++x) {
                const unsigned alpha = colour[(row * size + x) * 4 + 3];
                const bool transparent = (mask[row * maskStride + x / 8] & (0x80 >> (x % 8))) != 0;
                if (alpha == 0) {
                    ASSERT_TRUE(transparent) << "pixel " << x << ", row " << row;
                } else if (alpha == 255) {
                    ASSERT_FALSE(transparent) << "pixel " << x << ", row " << row;
                }
            }
        }
        EXPECT_EQ(colour[((size / 2) * size + size / 2) * 4 + 3], 255);
    }
}

TEST_P(IconResource, LoadsAtEachSize)
{
    for (int size : {16, 32, 48}) {
        Icon icon(static_cast<HICON>(
            LoadImageA(Module(), MAKEINTRESOURCEA(GetParam()), IMAGE_ICON, size, size, 0)));
        ASSERT_NE(icon, nullptr) << "icon " << GetParam() << " at " << size;
        ICONINFO info = {};
        ASSERT_TRUE(GetIconInfo(icon.get(), &info));
        Bitmap colour(info.hbmColor);
        Bitmap mask(info.hbmMask);
        BITMAP bitmap = {};
        ASSERT_NE(colour, nullptr);
        ASSERT_EQ(GetObjectA(colour.get(), sizeof bitmap, &bitmap), static_cast<int>(sizeof bitmap));
        EXPECT_EQ(bitmap.bmWidth, size);
        EXPECT_EQ(bitmap.bmHeight, size);
    }
}

INSTANTIATE_TEST_SUITE_P(Win32Resources, IconResource,
                         testing::Values(IDI_VITRANE, IDI_VITRANE_SMALL));

// ---------------------------------------------------------------- bitmaps

Bitmap LoadDibSection(int id)
{
    return Bitmap(static_cast<HBITMAP>(
        LoadImageA(Module(), MAKEINTRESOURCEA(id), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION)));
}

TEST(Win32Resources, BuiltinPictureIsA24BitBottomUpDibOf128Squared)
{
    Bitmap bitmap = LoadDibSection(IDB_BUILTIN_PICTURE);
    ASSERT_NE(bitmap, nullptr);
    DIBSECTION section = {};
    ASSERT_EQ(GetObjectA(bitmap.get(), sizeof section, &section), static_cast<int>(sizeof section));
    EXPECT_EQ(section.dsBm.bmWidth, 128);
    EXPECT_EQ(section.dsBm.bmHeight, 128);
    EXPECT_EQ(section.dsBm.bmBitsPixel, 24);
    EXPECT_EQ(section.dsBm.bmWidthBytes, 384);
    EXPECT_NE(section.dsBm.bmBits, nullptr);
    EXPECT_GT(section.dsBmih.biHeight, 0);  // bottom-up: first row in memory is the bottom one
    EXPECT_EQ(section.dsBmih.biCompression, static_cast<DWORD>(BI_RGB));
}

enum class Shade { Ground, Face, Feature };

const char* ShadeName(Shade shade)
{
    switch (shade) {
    case Shade::Ground: return "black ground";
    case Shade::Face: return "yellow face";
    case Shade::Feature: return "dark eye or mouth";
    }
    return "?";
}

Shade Classify(const unsigned char* bgr)
{
    const int blue = bgr[0], green = bgr[1], red = bgr[2];
    if (red < 16 && green < 16 && blue < 16) {
        return Shade::Ground;
    }
    if (red > 200 && green > 160 && blue < 100) {
        return Shade::Face;
    }
    return Shade::Feature;
}

// Points are given top-down, as one looks at the picture. The pairs mirror
// each other across the middle row, so an upside-down picture fails.
TEST(Win32Resources, BuiltinPictureIsAnUprightSmilingFaceOnBlack)
{
    struct Probe {
        int x, y;
        Shade expected;
    };
    const Probe probes[] = {
        {0, 0, Shade::Ground},     {127, 0, Shade::Ground},
        {0, 127, Shade::Ground},   {127, 127, Shade::Ground},
        {64, 20, Shade::Face},     {64, 64, Shade::Face},
        {46, 47, Shade::Feature},  {46, 80, Shade::Face},   // left eye / its mirror
        {82, 47, Shade::Feature},  {82, 80, Shade::Face},   // right eye / its mirror
        {64, 93, Shade::Feature},  {64, 34, Shade::Face},   // middle of the smile / its mirror
        {34, 74, Shade::Feature},  {34, 93, Shade::Face},   // a corner of the smile sits above its middle
    };
    Bitmap bitmap = LoadDibSection(IDB_BUILTIN_PICTURE);
    ASSERT_NE(bitmap, nullptr);
    DIBSECTION section = {};
    ASSERT_EQ(GetObjectA(bitmap.get(), sizeof section, &section), static_cast<int>(sizeof section));
    ASSERT_EQ(section.dsBm.bmBitsPixel, 24);
    ASSERT_GT(section.dsBmih.biHeight, 0);
    const auto* bits = static_cast<const unsigned char*>(section.dsBm.bmBits);
    ASSERT_NE(bits, nullptr);

    for (const Probe& probe : probes) {
        const unsigned char* pixel = bits + (127 - probe.y) * 384 + probe.x * 3;
        EXPECT_STREQ(ShadeName(Classify(pixel)), ShadeName(probe.expected))
            << "at " << probe.x << ", " << probe.y;
    }
}

TEST(Win32Resources, SettingsPictureIsAn8BitFaceOnWhite)
{
    Bitmap bitmap = LoadDibSection(IDB_SETTINGS_PICTURE);
    ASSERT_NE(bitmap, nullptr);
    DIBSECTION section = {};
    ASSERT_EQ(GetObjectA(bitmap.get(), sizeof section, &section), static_cast<int>(sizeof section));
    EXPECT_EQ(section.dsBm.bmWidth, 100);
    EXPECT_EQ(section.dsBm.bmHeight, 100);
    EXPECT_EQ(section.dsBm.bmBitsPixel, 8);

    HDC memory = CreateCompatibleDC(nullptr);
    ASSERT_NE(memory, nullptr);
    HGDIOBJ previous = SelectObject(memory, bitmap.get());
    RGBQUAD palette[256] = {};
    const UINT paletteSize = GetDIBColorTable(memory, 0, 256, palette);
    const COLORREF corner = GetPixel(memory, 0, 0);
    const COLORREF forehead = GetPixel(memory, 50, 15);
    (void)SelectObject(memory, previous);
    (void)DeleteDC(memory);

    EXPECT_EQ(paletteSize, 256u);
    EXPECT_EQ(corner, RGB(255, 255, 255));
    EXPECT_GT(GetRValue(forehead), 200);
    EXPECT_GT(GetGValue(forehead), 160);
    EXPECT_LT(GetBValue(forehead), 100);
}

// ---------------------------------------------------------------- dialog

INT_PTR CALLBACK PassiveDialogProc(HWND, UINT, WPARAM, LPARAM)
{
    return FALSE;
}

std::string WindowText(HWND window)
{
    char text[256] = {};
    (void)GetWindowTextA(window, text, sizeof text);
    return text;
}

std::string ClassName(HWND window)
{
    char name[64] = {};
    (void)GetClassNameA(window, name, sizeof name);
    return name;
}

// Wine waits up to two seconds for a visible top-level window to be mapped,
// so the dialog is made once for all cases that only look at it.
class SettingsDialogTemplate : public testing::Test {
protected:
    static void SetUpTestSuite()
    {
        dialog.reset(CreateDialogParamA(Module(), MAKEINTRESOURCEA(IDD_SETTINGS), nullptr,
                                        PassiveDialogProc, 0));
    }
    static void TearDownTestSuite() { dialog.reset(); }

    void SetUp() override { ASSERT_NE(dialog, nullptr); }

    static Window dialog;
};
Window SettingsDialogTemplate::dialog;

TEST_F(SettingsDialogTemplate, HasItsCaptionAndStyle)
{
    EXPECT_EQ(WindowText(dialog.get()), "Vitrane");
    const LONG style = GetWindowLongA(dialog.get(), GWL_STYLE);
    EXPECT_EQ(style & WS_CAPTION, WS_CAPTION);
    EXPECT_EQ(style & WS_SYSMENU, WS_SYSMENU);
    EXPECT_EQ(style & WS_POPUP, WS_POPUP);
}

// What the dialog's code and its user rely on, whatever the layout: each
// control it drives is there, of the kind it is driven as.
TEST_F(SettingsDialogTemplate, EveryDrivenControlIsThereOfItsKind)
{
    enum Kind { checkBox, pushButton, defaultButton, radio, dropDownList, trackbar, picture, text };
    struct Driven {
        int id;
        Kind kind;
    };
    const Driven driven[] = {
        {IDC_CUSTOM_PICTURE, checkBox},  {IDC_CHANGE_PICTURE, pushButton}, {IDC_CHOOSE_FOLDER, pushButton},
        {IDC_SLIDE_SECONDS, dropDownList}, {IDC_LOOK, dropDownList},      {IDC_WAVE_RINGS, radio},
        {IDC_WAVE_CROSSED, radio},       {IDC_WAVE_RAIN, radio},          {IDC_SPEED, trackbar},
        {IDC_CLOCK, dropDownList},       {IDC_CAPTIONS, checkBox},        {IDC_MAIN_MONITOR_ONLY, checkBox},
        {IDOK, defaultButton},           {IDCANCEL, pushButton},          {IDC_PREVIEW, picture},
        {IDC_PREVIEW_NAME, text},        {IDC_POLICY_NOTE, text},
    };
    for (const Driven& control : driven) {
        SCOPED_TRACE(testing::Message() << "control " << control.id);
        const HWND child = GetDlgItem(dialog.get(), control.id);
        ASSERT_NE(child, nullptr);
        const LONG style = GetWindowLongA(child, GWL_STYLE);
        const std::string className = ClassName(child);
        const auto is = [&](const char* name, LONG mask, LONG type) {
            return lstrcmpiA(className.c_str(), name) == 0 && (style & mask) == type;
        };
        const bool kindMatches[] = {
            is("Button", BS_TYPEMASK, BS_AUTOCHECKBOX), is("Button", BS_TYPEMASK, BS_PUSHBUTTON),
            is("Button", BS_TYPEMASK, BS_DEFPUSHBUTTON), is("Button", BS_TYPEMASK, BS_AUTORADIOBUTTON),
            is("ComboBox", 3, CBS_DROPDOWNLIST),       is(TRACKBAR_CLASSA, 0, 0),
            is("Static", SS_TYPEMASK, SS_BITMAP),      is("Static", SS_TYPEMASK, SS_LEFT),
        };
        EXPECT_TRUE(kindMatches[control.kind]) << className << " style " << std::hex << style;
        // Only the note waits for a policy to show itself.
        EXPECT_EQ(control.id != IDC_POLICY_NOTE, (style & WS_VISIBLE) != 0);
    }
}

// Tab reaches every control a user can change, in template order; the arrow
// keys move among the wave styles alone; a label's mnemonic focuses the
// control it labels, the next one in the template, beside it or below it.
TEST_F(SettingsDialogTemplate, KeyboardReachesEveryControl)
{
    std::vector<HWND> children;
    for (HWND child = GetWindow(dialog.get(), GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) {
        children.push_back(child);
    }
    for (size_t i = 0; i < children.size(); ++i) {
        const HWND child = children[i];
        const LONG style = GetWindowLongA(child, GWL_STYLE);
        const std::string className = ClassName(child);
        const bool isButton = lstrcmpiA(className.c_str(), "Button") == 0;
        const bool groupBox = isButton && (style & BS_TYPEMASK) == BS_GROUPBOX;
        const bool radio = isButton && (style & BS_TYPEMASK) == BS_AUTORADIOBUTTON;
        const bool changeable = (isButton && !groupBox) || lstrcmpiA(className.c_str(), "ComboBox") == 0 ||
                                lstrcmpiA(className.c_str(), TRACKBAR_CLASSA) == 0;
        if (changeable && !(radio && (style & WS_GROUP) == 0)) {
            EXPECT_NE(0, style & WS_TABSTOP) << WindowText(child) << " is not reached by Tab";
        }
        const std::string label = WindowText(child);
        if (lstrcmpiA(className.c_str(), "Static") == 0 && label.find('&') != std::string::npos) {
            SCOPED_TRACE(label);
            ASSERT_LT(i + 1, children.size());
            const HWND labelled = children[i + 1];
            EXPECT_NE(0, GetWindowLongA(labelled, GWL_STYLE) & WS_TABSTOP);
            RECT own = {}, other = {};
            (void)GetWindowRect(child, &own);
            (void)GetWindowRect(labelled, &other);
            EXPECT_TRUE(other.left >= own.right || other.top >= own.bottom - 2) << "not beside or below its label";
        }
    }
    std::vector<int> group;
    const HWND first = GetDlgItem(dialog.get(), IDC_WAVE_RINGS);
    HWND member = first;
    do {
        group.push_back(GetDlgCtrlID(member));
        member = GetNextDlgGroupItem(dialog.get(), member, FALSE);
    } while (member != nullptr && member != first && group.size() < 10);
    EXPECT_EQ((std::vector<int>{IDC_WAVE_RINGS, IDC_WAVE_CROSSED, IDC_WAVE_RAIN}), group);
}

// Every control lies within the dialog, and none covers another but a group
// box around its members: nothing is cut off or hidden, whatever the font.
TEST_F(SettingsDialogTemplate, ControlsFitTheDialogWithoutOverlapping)
{
    RECT client = {};
    ASSERT_TRUE(GetClientRect(dialog.get(), &client));
    std::vector<HWND> controls;
    for (HWND child = GetWindow(dialog.get(), GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) {
        controls.push_back(child);
    }
    const auto placed = [&](HWND control) {
        RECT rect = {};
        (void)GetWindowRect(control, &rect);
        (void)MapWindowPoints(nullptr, dialog.get(), reinterpret_cast<POINT*>(&rect), 2);
        return rect;
    };
    // A group box may hold a control whole; nothing else may touch another.
    const auto holds = [&](HWND box, const RECT& inner) {
        RECT outer = placed(box), around = {};
        return (GetWindowLongA(box, GWL_STYLE) & BS_TYPEMASK) == BS_GROUPBOX && ClassName(box) == "Button" &&
               UnionRect(&around, &outer, &inner) && EqualRect(&around, &outer);
    };
    for (size_t i = 0; i < controls.size(); ++i) {
        const RECT a = placed(controls[i]);
        RECT inside = {};
        EXPECT_TRUE(IntersectRect(&inside, &a, &client) && EqualRect(&inside, &a)) << WindowText(controls[i]);
        for (size_t j = i + 1; j < controls.size(); ++j) {
            const RECT b = placed(controls[j]);
            RECT overlap = {};
            EXPECT_TRUE(!IntersectRect(&overlap, &a, &b) || holds(controls[i], b) || holds(controls[j], a))
                << WindowText(controls[i]) << " (" << i << ") overlaps " << WindowText(controls[j]) << " (" << j << ")";
        }
    }
}

TEST_F(SettingsDialogTemplate, CheckBoxNotifiesAndIllustrationIsLoaded)
{
    HWND checkBox = GetDlgItem(dialog.get(), IDC_CUSTOM_PICTURE);
    ASSERT_NE(checkBox, nullptr);
    EXPECT_NE(GetWindowLongA(checkBox, GWL_STYLE) & BS_NOTIFY, 0);

    HWND illustration = GetDlgItem(dialog.get(), IDC_PREVIEW);
    ASSERT_NE(illustration, nullptr);
    EXPECT_NE(GetWindowLongA(illustration, GWL_EXSTYLE) & WS_EX_STATICEDGE, 0);
    // The static control owns the bitmap it loaded from the template.
    HBITMAP shown = reinterpret_cast<HBITMAP>(SendMessageA(illustration, STM_GETIMAGE, IMAGE_BITMAP, 0));
    ASSERT_NE(shown, nullptr);
    BITMAP bitmap = {};
    ASSERT_EQ(GetObjectA(shown, sizeof bitmap, &bitmap), static_cast<int>(sizeof bitmap));
    EXPECT_EQ(bitmap.bmWidth, 100);
    EXPECT_EQ(bitmap.bmHeight, 100);
}

// ---------------------------------------------------------------- manifest

TEST(Win32Resources, ManifestDeclaresDpiAwarenessAndCommonControls6)
{
    std::vector<unsigned char> bytes = ResourceBytes(MAKEINTRESOURCEA(1), RT_MANIFEST);
    ASSERT_FALSE(bytes.empty());
    const std::string manifest(bytes.begin(), bytes.end());
    EXPECT_NE(manifest.find("<dpiAware"), std::string::npos);
    EXPECT_NE(manifest.find(">true</dpiAware>"), std::string::npos);
    EXPECT_NE(manifest.find("name=\"Microsoft.Windows.Common-Controls\" version=\"6.0.0.0\""),
              std::string::npos);
}

}  // namespace
