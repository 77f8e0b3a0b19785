#include <gtest/gtest.h>
#include <windows.h>

#include <array>
#include <cstring>
#include <string>
#include <vector>

#include "ResourceIds.h"
#include "ui/DialogTemplate.h"

// The resources as linked into Veltra.exe, read back from the executable.
namespace veltra {
namespace {

using Bytes = std::vector<std::uint8_t>;
using Box = std::array<int, 4>;  // x, y, width, height in dialog units

const HMODULE exe = ::LoadLibraryExA(VELTRA_EXE_PATH, nullptr,
                                     LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);

Bytes resource(int type, int id) {
    const HRSRC found = ::FindResourceW(exe, MAKEINTRESOURCEW(id), MAKEINTRESOURCEW(type));
    EXPECT_NE(found, nullptr) << "resource " << id << " of type " << type;
    const auto* bytes =
        found ? static_cast<const std::uint8_t*>(::LockResource(::LoadResource(exe, found)))
              : nullptr;
    return bytes ? Bytes(bytes, bytes + ::SizeofResource(exe, found)) : Bytes{};
}

// A dialog (its text is the title) or one of its items, read from a DLGTEMPLATEEX.
struct Item {
    DWORD style = 0;
    Box box{};
    int id = 0;
    std::wstring windowClass, text, font;
    std::vector<Item> items;
};

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
    auto text = [&]() -> std::wstring {  // zero-terminated UTF-16, or an ordinal as "#n"
        std::wstring result;
        for (DWORD c = take(2); c != 0 && at <= bytes.size(); c = take(2)) {
            if (c == 0xFFFF) {
                return L"#" + std::to_wstring(take(2));
            }
            result.push_back(static_cast<wchar_t>(c));
        }
        return result;
    };
    auto read = [&](Item& item, bool isDialog) {
        take(4), take(4);  // help id, extended style
        item.style = take(4);
        const DWORD count = isDialog ? take(2) : 0;
        for (int& value : item.box) {
            value = static_cast<short>(take(2));
        }
        return count;
    };
    Item dialog;
    EXPECT_EQ(take(4), 0xFFFF0001u);  // an extended template
    const DWORD count = read(dialog, true);
    EXPECT_EQ(text() + text(), L"");  // no menu, the dialog class
    dialog.text = text();
    dialog.id = static_cast<int>(take(2));  // the dialog's: its font's point size
    take(4);                                // weight, italic, character set
    dialog.font = text();
    for (DWORD i = 0; i < count; ++i) {
        at = (at + 3) / 4 * 4;
        Item& item = dialog.items.emplace_back();
        read(item, false);
        item.id = static_cast<int>(take(4));
        item.windowClass = text();
        item.text = text();
        at += take(2);  // creation data
    }
    return dialog;
}

std::wstring widen(std::string_view text) {
    return std::wstring(text.begin(), text.end());
}

// Each kind of control's class (an ordinal, or a name as some compilers keep it), its type under a
// mask, and the style bits it must have and must not have. Labels start a group and take no focus.
struct KindStyle {
    const wchar_t *ordinal, *name;
    DWORD mask, type, set, clear;
};
const KindStyle kindStyles[] = {
    // in ControlKind order
    {L"#128", L"button", BS_TYPEMASK, BS_PUSHBUTTON, WS_TABSTOP, 0},
    {L"#128", L"button", BS_TYPEMASK, BS_AUTOCHECKBOX, WS_TABSTOP, 0},
    {L"#130", L"static", SS_TYPEMASK, SS_LEFT, WS_GROUP, WS_TABSTOP},
    {L"#129", L"edit", 0, 0, WS_TABSTOP | ES_AUTOHSCROLL, ES_MULTILINE},
    {L"#133", L"combobox", 0x3, CBS_DROPDOWNLIST, WS_TABSTOP | WS_VSCROLL, CBS_SORT},
};

TEST(ExecutableResources, MainDialogMatchesTheLayoutControlByControl) {
    const Item dialog = readDialog(resource(5, VELTRA_IDD_MAIN));  // RT_DIALOG
    const DialogTemplate& layout = mainDialogTemplate();
    EXPECT_EQ(dialog.text, widen(layout.title));
    EXPECT_EQ(dialog.box, (Box{0, 0, layout.width, layout.height}));
    EXPECT_EQ(dialog.font, widen(layout.font));
    EXPECT_EQ(dialog.id, layout.fontPointSize);
    const DWORD frame = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | DS_MODALFRAME;
    EXPECT_EQ(dialog.style & (frame | WS_MAXIMIZEBOX | WS_THICKFRAME | DS_CENTER), frame);
    ASSERT_EQ(dialog.items.size(), layout.controls.size());
    for (std::size_t i = 0; i < layout.controls.size(); ++i) {
        const ControlTemplate& want = layout.controls[i];
        const Item& got = dialog.items[i];
        SCOPED_TRACE("control " + std::to_string(i + 1));
        EXPECT_EQ(static_cast<short>(got.id), toInt(want.id));
        EXPECT_EQ(got.text, widen(want.text));
        EXPECT_EQ(got.box, (Box{want.x, want.y, want.width, want.height}));
        EXPECT_EQ(got.style & (WS_CHILD | WS_VISIBLE | WS_DISABLED), DWORD{WS_CHILD | WS_VISIBLE});
        const KindStyle& kind = kindStyles[static_cast<int>(want.kind)];
        EXPECT_TRUE(got.windowClass == kind.ordinal ||
                    !::lstrcmpiW(got.windowClass.c_str(), kind.name))
            << got.windowClass;
        EXPECT_EQ(got.style & kind.mask, kind.type);
        EXPECT_EQ(got.style & (kind.set | kind.clear), kind.set);
        EXPECT_EQ((got.style & ES_READONLY) != 0, want.readOnly && want.kind == ControlKind::Edit);
    }
}

// The About box's own texts are read from the running program by scripts/test-windows.
TEST(ExecutableResources, AboutEntryAndAdministratorManifest) {
    wchar_t text[64] = {};
    EXPECT_GT(::LoadStringW(exe, VELTRA_IDS_ABOUT_ENTRY, text, 64), 0);
    EXPECT_STREQ(text, L"Aboat Quillon");
    const Bytes manifest = resource(24, 1);  // RT_MANIFEST
    EXPECT_NE(std::string(manifest.begin(), manifest.end()).find("\"requireAdministrator\""),
              std::string::npos);
}

}  // namespace
}  // namespace veltra
