#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <windows.h>

#include <array>
#include <cstring>
#include <string>
#include <tuple>
#include <vector>

#include "ResourceIds.h"
#include "ui/DialogTemplate.h"

// The resources as linked into Veltra.exe, read back from the executable and compared with
// the layout that every front end shares.
namespace veltra {
namespace {

using Bytes = std::vector<std::uint8_t>;
using Box = std::array<int, 4>;  // x, y, width, height in dialog units

std::wstring widen(std::string_view text) {
    return std::wstring(text.begin(), text.end());
}

// Veltra.exe as data, not run.
const HMODULE exe = ::LoadLibraryExA(VELTRA_EXE_PATH, nullptr,
                                     LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);

Bytes resource(int type, int id) {
    const HRSRC found =
        exe ? ::FindResourceW(exe, MAKEINTRESOURCEW(id), MAKEINTRESOURCEW(type)) : nullptr;
    EXPECT_NE(found, nullptr) << "resource " << id << " of type " << type << " in "
                              << VELTRA_EXE_PATH;
    if (!found) {
        return {};
    }
    const auto* bytes =
        static_cast<const std::uint8_t*>(::LockResource(::LoadResource(exe, found)));
    return Bytes(bytes, bytes + ::SizeofResource(exe, found));
}

// A dialog, or one of its items; a dialog's text is its title.
struct Item {
    DWORD exStyle = 0, style = 0;
    Box box{};
    int id = 0;
    std::wstring windowClass, text, font;
    WORD pointSize = 0;
    std::vector<Item> items;
};

// Reads a DLGTEMPLATEEX and its items.
Item readDialog(const Bytes& bytes) {
    std::size_t at = 0;
    auto take = [&](std::size_t size) {
        DWORD value = 0;
        if (at + size <= bytes.size()) {
            std::memcpy(&value, bytes.data() + at, size);
        }
        at += size;
        return value;
    };
    auto shape = [&](Item& item) {
        for (int& value : item.box) {
            value = static_cast<short>(take(2));
        }
    };
    auto text = [&]() -> std::wstring {  // zero-terminated UTF-16, or an ordinal as "#n"
        DWORD c = take(2);
        if (c == 0xFFFF) {
            return L"#" + std::to_wstring(take(2));
        }
        std::wstring result;
        for (; c != 0 && at <= bytes.size(); c = take(2)) {
            result.push_back(static_cast<wchar_t>(c));
        }
        return result;
    };
    Item dialog;
    EXPECT_EQ(take(2), 1u);       // version
    EXPECT_EQ(take(2), 0xFFFFu);  // extended template
    take(4);                      // help id
    dialog.exStyle = take(4);
    dialog.style = take(4);
    const DWORD count = take(2);
    shape(dialog);
    EXPECT_EQ(text(), L"");  // no menu
    EXPECT_EQ(text(), L"");  // the dialog class
    dialog.text = text();
    if (dialog.style & DS_SETFONT) {
        dialog.pointSize = static_cast<WORD>(take(2));
        take(4);  // weight, italic, character set
        dialog.font = text();
    }
    for (DWORD i = 0; i < count; ++i) {
        at = (at + 3) / 4 * 4;
        Item& item = dialog.items.emplace_back();
        take(4);  // help id
        item.exStyle = take(4);
        item.style = take(4);
        shape(item);
        item.id = static_cast<int>(take(4));
        item.windowClass = text();
        item.text = text();
        at += take(2);  // creation data
    }
    return dialog;
}

// Each kind of control: its class (ordinal, or name as some compilers keep it), its type
// under a mask, and the style bits it must have and must not have.
struct KindStyle {
    ControlKind kind;
    const wchar_t *ordinal, *name;
    DWORD mask, type, set, clear;
};
const KindStyle kindStyles[] = {
    {ControlKind::Button, L"#128", L"button", BS_TYPEMASK, BS_PUSHBUTTON, WS_TABSTOP, 0},
    {ControlKind::CheckBox, L"#128", L"button", BS_TYPEMASK, BS_AUTOCHECKBOX, WS_TABSTOP, 0},
    // Every label starts a group and takes no focus.
    {ControlKind::Label, L"#130", L"static", SS_TYPEMASK, SS_LEFT, WS_GROUP, WS_TABSTOP},
    {ControlKind::Edit, L"#129", L"edit", 0, 0, WS_TABSTOP | ES_AUTOHSCROLL, ES_MULTILINE},
    {ControlKind::ComboBox, L"#133", L"combobox", 0x3, CBS_DROPDOWNLIST, WS_TABSTOP | WS_VSCROLL,
     CBS_SORT},
};

TEST(ExecutableResources, MainDialogMatchesTheLayoutControlByControl) {
    const Item dialog = readDialog(resource(5, VELTRA_IDD_MAIN));  // RT_DIALOG
    const DialogTemplate& layout = mainDialogTemplate();
    EXPECT_EQ(dialog.text, widen(layout.title));
    EXPECT_EQ(dialog.box, (Box{0, 0, layout.width, layout.height}));
    EXPECT_EQ(dialog.font, widen(layout.font));
    EXPECT_EQ(dialog.pointSize, layout.fontPointSize);
    const DWORD frame = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | DS_MODALFRAME;
    EXPECT_EQ(dialog.style & (frame | WS_MAXIMIZEBOX | WS_THICKFRAME | DS_CENTER), frame);
    EXPECT_NE(dialog.exStyle & WS_EX_APPWINDOW, 0u);

    ASSERT_EQ(dialog.items.size(), layout.controls.size());
    for (std::size_t i = 0; i < layout.controls.size(); ++i) {
        const ControlTemplate& want = layout.controls[i];
        const Item& got = dialog.items[i];
        SCOPED_TRACE("control " + std::to_string(i + 1) + " id " + std::to_string(toInt(want.id)));
        EXPECT_EQ(static_cast<short>(got.id), toInt(want.id));
        EXPECT_EQ(got.text, widen(want.text));
        EXPECT_EQ(got.box, (Box{want.x, want.y, want.width, want.height}));
        // Visible and enabled when the window opens.
        EXPECT_EQ(got.style & (WS_CHILD | WS_VISIBLE | WS_DISABLED), DWORD{WS_CHILD | WS_VISIBLE});
        const KindStyle& kind = kindStyles[static_cast<int>(want.kind)];
        ASSERT_EQ(kind.kind, want.kind);
        EXPECT_TRUE(got.windowClass == kind.ordinal ||
                    !::lstrcmpiW(got.windowClass.c_str(), kind.name))
            << got.windowClass;
        EXPECT_EQ(got.style & kind.mask, kind.type);
        EXPECT_EQ(got.style & (kind.set | kind.clear), kind.set);
        if (want.kind == ControlKind::Edit) {
            EXPECT_EQ((got.style & ES_READONLY) != 0, want.readOnly);
        }
    }
}

TEST(ExecutableResources, AboutBoxAsDescribed) {
    const Item about = readDialog(resource(5, VELTRA_IDD_ABOUT));
    EXPECT_EQ(about.text, L"About Quillon");
    EXPECT_EQ(about.box[2], 235);
    EXPECT_EQ(about.box[3], 55);
    EXPECT_EQ(about.pointSize, 9);
    EXPECT_EQ(about.font, L"SimSun-ExtB");
    EXPECT_EQ(about.style & WS_MAXIMIZEBOX, 0u);
    struct Want {
        Box box;
        const wchar_t* text;
        DWORD mask, type;
    };
    const Want items[] = {
        {{11, 17, 20, 20}, L"#128", SS_TYPEMASK, SS_ICON},
        {{40, 10, 119, 8}, L"Quillon V2.4xx", SS_NOPREFIX, SS_NOPREFIX},
        {{40, 25, 119, 8}, L"\u6E29\u6E7F\u5EA6\u8BB0\u5F55\u4EEA\u914D\u7F6E\u5DE5\u5177", 0, 0},
        {{178, 7, 50, 14}, L"OK", BS_TYPEMASK, BS_DEFPUSHBUTTON},
    };
    ASSERT_EQ(about.items.size(), 4u);
    for (std::size_t i = 0; i < 4; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(about.items[i].box, items[i].box);
        EXPECT_EQ(about.items[i].text, items[i].text);
        EXPECT_EQ(about.items[i].style & items[i].mask, items[i].type);
    }
    EXPECT_EQ(about.items[3].id, IDOK);
}

TEST(ExecutableResources, TheOnlyStringIsTheAboutEntry) {
    wchar_t text[64] = {};
    ASSERT_GT(::LoadStringW(exe, VELTRA_IDS_ABOUT_ENTRY, text, 64), 0);
    EXPECT_STREQ(text, L"Aboat Quillon");
    for (UINT id = 0; id < 512; ++id) {
        EXPECT_EQ(::LoadStringW(exe, id, text, 64) > 0, id == VELTRA_IDS_ABOUT_ENTRY) << id;
    }
}

TEST(ExecutableResources, BackgroundIsOneColourAt793By426) {
    const Bytes bitmap = resource(2, VELTRA_IDB_BACKGROUND);  // RT_BITMAP
    ASSERT_GE(bitmap.size(), sizeof(BITMAPINFOHEADER));
    BITMAPINFOHEADER header{};
    std::memcpy(&header, bitmap.data(), sizeof header);
    EXPECT_EQ(std::tie(header.biWidth, header.biHeight, header.biBitCount, header.biCompression),
              (std::tuple<LONG, LONG, WORD, DWORD>(793, 426, 24, BI_RGB)));
    const std::size_t stride = (793 * 3 + 3) / 4 * 4;
    ASSERT_EQ(bitmap.size(), header.biSize + stride * 426);
    std::size_t wrong = 0;
    for (std::size_t row = 0; row < 426; ++row) {
        const std::uint8_t* pixel = bitmap.data() + header.biSize + row * stride;
        for (std::size_t x = 0; x < 793; ++x, pixel += 3) {
            wrong += !(pixel[0] == 210 && pixel[1] == 154 && pixel[2] == 113);  // blue, green, red
        }
    }
    EXPECT_EQ(wrong, 0u);
}

TEST(ExecutableResources, IconHas32And16PixelImagesOf16Colours) {
    const Bytes group = resource(14, VELTRA_IDI_MAIN);  // RT_GROUP_ICON
    ASSERT_GE(group.size(), 6u);
    const std::size_t end = 6u + 14u * (group[4] | group[5] << 8);
    std::vector<int> sizesOf16Colours;
    for (std::size_t at = 6; at + 14 <= group.size() && at < end; at += 14) {
        if (group[at + 6] == 4 && group[at + 7] == 0) {  // GRPICONDIRENTRY: 4 bits a pixel
            sizesOf16Colours.push_back(group[at]);
        }
    }
    EXPECT_THAT(sizesOf16Colours, ::testing::IsSupersetOf({32, 16}));
}

TEST(ExecutableResources, ManifestAndVersionRecord) {
    const Bytes manifestBytes = resource(24, 1);  // RT_MANIFEST
    const std::string manifest(manifestBytes.begin(), manifestBytes.end());
    for (const char* part : {"level=\"requireAdministrator\"", "uiAccess=\"false\"",
                             "name=\"test.exe.manifest\"", "version=\"1.0.0.0\""}) {
        EXPECT_NE(manifest.find(part), std::string::npos) << part;
    }

    Bytes version = resource(16, 1);  // RT_VERSION
    ASSERT_FALSE(version.empty());
    version.resize(version.size() * 2);  // room that the query may use
    auto value = [&](const wchar_t* path, UINT atLeast = 1) -> const void* {
        void* data = nullptr;
        UINT length = 0;
        return ::VerQueryValueW(version.data(), path, &data, &length) && length >= atLeast
                   ? data
                   : nullptr;
    };
    auto text = [&](const wchar_t* name) {
        const auto* data = static_cast<const wchar_t*>(
            value((std::wstring(L"\\StringFileInfo\\080404b0\\") + name).c_str()));
        return std::wstring(data ? data : L"(none)");
    };
    EXPECT_EQ(text(L"InternalName"), L"Veltra");
    EXPECT_EQ(text(L"OriginalFilename"), L"Veltra.EXE");
    const auto* fixed = static_cast<const VS_FIXEDFILEINFO*>(value(L"\\"));
    ASSERT_TRUE(fixed);
    EXPECT_EQ((std::array{fixed->dwFileVersionMS, fixed->dwFileVersionLS, fixed->dwProductVersionMS,
                          fixed->dwProductVersionLS}),
              (std::array<DWORD, 4>{0x00010000, 1, 0x00010000, 1}));
}

}  // namespace
}  // namespace veltra
