#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>
#include <string>
#include <vector>

#include "ResourceIds.h"
#include "ui/DialogTemplate.h"

// The resources as linked into Veltra.exe, read back from the executable and compared with
// the layout that every front end shares.
namespace veltra {
namespace {

std::wstring widen(std::string_view text) {
    return std::wstring(text.begin(), text.end());
}

class ExecutableResources : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        module_ = ::LoadLibraryExA(VELTRA_EXE_PATH, nullptr,
                                   LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    }
    static void TearDownTestSuite() {
        if (module_) {
            ::FreeLibrary(module_);
        }
    }
    void SetUp() override { ASSERT_NE(module_, nullptr) << "cannot load " << VELTRA_EXE_PATH; }

    static std::vector<std::uint8_t> resource(LPCWSTR type, int id) {
        const HRSRC found = ::FindResourceW(module_, MAKEINTRESOURCEW(id), type);
        if (!found) {
            return {};
        }
        const HGLOBAL loaded = ::LoadResource(module_, found);
        const auto* bytes = static_cast<const std::uint8_t*>(::LockResource(loaded));
        return std::vector<std::uint8_t>(bytes, bytes + ::SizeofResource(module_, found));
    }

    static inline HMODULE module_ = nullptr;
};

// Reads a DLGTEMPLATEEX and its items.
class TemplateReader {
  public:
    explicit TemplateReader(const std::vector<std::uint8_t>& bytes) : bytes_(bytes) {}

    template <typename T>
    T take() {
        T value{};
        if (at_ + sizeof(T) <= bytes_.size()) {
            std::memcpy(&value, bytes_.data() + at_, sizeof(T));
        }
        at_ += sizeof(T);
        return value;
    }
    // A zero-terminated UTF-16 text, or an ordinal as "#n".
    std::wstring textOrOrdinal() {
        const auto first = take<WORD>();
        if (first == 0xFFFF) {
            return L"#" + std::to_wstring(take<WORD>());
        }
        std::wstring text;
        for (WORD c = first; c != 0; c = take<WORD>()) {
            text.push_back(static_cast<wchar_t>(c));
            if (at_ >= bytes_.size()) {
                break;
            }
        }
        return text;
    }
    void alignTo(std::size_t n) { at_ = (at_ + n - 1) / n * n; }
    void skip(std::size_t n) { at_ += n; }

  private:
    const std::vector<std::uint8_t>& bytes_;
    std::size_t at_ = 0;
};

struct DialogItem {
    DWORD exStyle, style;
    short x, y, cx, cy;
    int id;
    std::wstring windowClass, text;
};

struct Dialog {
    DWORD exStyle = 0, style = 0;
    short x = 0, y = 0, cx = 0, cy = 0;
    std::wstring title, font;
    WORD pointSize = 0;
    std::vector<DialogItem> items;
};

Dialog readDialog(const std::vector<std::uint8_t>& bytes) {
    TemplateReader in(bytes);
    Dialog dialog;
    EXPECT_EQ(in.take<WORD>(), 1);       // version
    EXPECT_EQ(in.take<WORD>(), 0xFFFF);  // extended template
    in.take<DWORD>();                    // help id
    dialog.exStyle = in.take<DWORD>();
    dialog.style = in.take<DWORD>();
    const WORD count = in.take<WORD>();
    dialog.x = in.take<short>();
    dialog.y = in.take<short>();
    dialog.cx = in.take<short>();
    dialog.cy = in.take<short>();
    EXPECT_EQ(in.textOrOrdinal(), L"");  // no menu
    EXPECT_EQ(in.textOrOrdinal(), L"");  // the dialog class
    dialog.title = in.textOrOrdinal();
    if (dialog.style & DS_SETFONT) {
        dialog.pointSize = in.take<WORD>();
        in.take<WORD>();  // weight
        in.take<BYTE>();  // italic
        in.take<BYTE>();  // character set
        dialog.font = in.textOrOrdinal();
    }
    for (WORD i = 0; i < count; ++i) {
        in.alignTo(4);
        DialogItem item{};
        in.take<DWORD>();  // help id
        item.exStyle = in.take<DWORD>();
        item.style = in.take<DWORD>();
        item.x = in.take<short>();
        item.y = in.take<short>();
        item.cx = in.take<short>();
        item.cy = in.take<short>();
        item.id = static_cast<int>(in.take<DWORD>());
        item.windowClass = in.textOrOrdinal();
        item.text = in.textOrOrdinal();
        in.skip(in.take<WORD>());  // creation data
        dialog.items.push_back(item);
    }
    return dialog;
}

// The class of each kind of control: its ordinal, or its name as some compilers keep it.
bool hasClass(const DialogItem& item, ControlKind kind) {
    std::wstring name = item.windowClass;
    for (auto& c : name) {
        c = static_cast<wchar_t>(::towlower(c));
    }
    switch (kind) {
        case ControlKind::Button:
        case ControlKind::CheckBox:
            return name == L"#128" || name == L"button";
        case ControlKind::Edit:
            return name == L"#129" || name == L"edit";
        case ControlKind::Label:
            return name == L"#130" || name == L"static";
        case ControlKind::ComboBox:
            return name == L"#133" || name == L"combobox";
    }
    return false;
}

TEST_F(ExecutableResources, MainDialogFrameMatchesTheLayout) {
    const Dialog dialog = readDialog(resource(MAKEINTRESOURCEW(5), VELTRA_IDD_MAIN));  // RT_DIALOG
    const DialogTemplate& layout = mainDialogTemplate();
    EXPECT_EQ(dialog.title, widen(layout.title));
    EXPECT_EQ(dialog.x, 0);
    EXPECT_EQ(dialog.y, 0);
    EXPECT_EQ(dialog.cx, layout.width);
    EXPECT_EQ(dialog.cy, layout.height);
    EXPECT_EQ(dialog.font, widen(layout.font));
    EXPECT_EQ(dialog.pointSize, layout.fontPointSize);
    const DWORD wanted = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | DS_MODALFRAME;
    EXPECT_EQ(dialog.style & wanted, wanted);
    EXPECT_EQ(dialog.style & (WS_MAXIMIZEBOX | WS_THICKFRAME | DS_CENTER), 0u);
    EXPECT_EQ(dialog.exStyle & WS_EX_APPWINDOW, DWORD{WS_EX_APPWINDOW});
}

TEST_F(ExecutableResources, MainDialogControlsMatchTheLayoutOneByOne) {
    const Dialog dialog = readDialog(resource(MAKEINTRESOURCEW(5), VELTRA_IDD_MAIN));
    const auto& layout = mainDialogTemplate().controls;
    ASSERT_EQ(dialog.items.size(), layout.size());
    for (std::size_t i = 0; i < layout.size(); ++i) {
        const ControlTemplate& want = layout[i];
        const DialogItem& got = dialog.items[i];
        SCOPED_TRACE("control " + std::to_string(i + 1) + " id " + std::to_string(toInt(want.id)));
        EXPECT_EQ(static_cast<short>(got.id), toInt(want.id));
        EXPECT_TRUE(hasClass(got, want.kind));
        EXPECT_EQ(got.text, widen(want.text));
        EXPECT_EQ(got.x, want.x);
        EXPECT_EQ(got.y, want.y);
        EXPECT_EQ(got.cx, want.width);
        EXPECT_EQ(got.cy, want.height);
        // Visible and enabled when the window opens.
        EXPECT_EQ(got.style & (WS_CHILD | WS_VISIBLE | WS_DISABLED), DWORD{WS_CHILD | WS_VISIBLE});
        const bool tabStop = (got.style & WS_TABSTOP) != 0;
        switch (want.kind) {
            case ControlKind::Button:
                EXPECT_EQ(got.style & BS_TYPEMASK, DWORD{BS_PUSHBUTTON});
                EXPECT_TRUE(tabStop);
                break;
            case ControlKind::CheckBox:
                EXPECT_EQ(got.style & BS_TYPEMASK, DWORD{BS_AUTOCHECKBOX});
                EXPECT_TRUE(tabStop);
                break;
            case ControlKind::Label:
                EXPECT_EQ(got.style & SS_TYPEMASK, DWORD{SS_LEFT});
                EXPECT_NE(got.style & WS_GROUP, 0u) << "every label starts a group";
                EXPECT_FALSE(tabStop);
                break;
            case ControlKind::Edit:
                EXPECT_NE(got.style & ES_AUTOHSCROLL, 0u);
                EXPECT_EQ(got.style & ES_MULTILINE, 0u);
                EXPECT_EQ((got.style & ES_READONLY) != 0, want.readOnly);
                EXPECT_TRUE(tabStop);
                break;
            case ControlKind::ComboBox:
                EXPECT_EQ(got.style & 0x3, DWORD{CBS_DROPDOWNLIST});
                EXPECT_NE(got.style & WS_VSCROLL, 0u);
                EXPECT_EQ(got.style & CBS_SORT, 0u);
                EXPECT_TRUE(tabStop);
                break;
        }
    }
}

TEST_F(ExecutableResources, AboutBoxAsDescribed) {
    const Dialog about = readDialog(resource(MAKEINTRESOURCEW(5), VELTRA_IDD_ABOUT));
    EXPECT_EQ(about.title, L"About Quillon");
    EXPECT_EQ(about.cx, 235);
    EXPECT_EQ(about.cy, 55);
    EXPECT_EQ(about.pointSize, 9);
    EXPECT_EQ(about.font, L"SimSun-ExtB");
    EXPECT_EQ(about.style & WS_MAXIMIZEBOX, 0u);
    ASSERT_EQ(about.items.size(), 4u);
    EXPECT_EQ(about.items[0].style & SS_TYPEMASK, DWORD{SS_ICON});
    EXPECT_EQ(about.items[0].text, L"#128");
    EXPECT_EQ(about.items[1].text, L"Quillon V2.4xx");
    EXPECT_NE(about.items[1].style & SS_NOPREFIX, 0u);
    EXPECT_EQ(about.items[3].id, IDOK);
    EXPECT_EQ(about.items[3].text, L"OK");
    EXPECT_EQ(about.items[3].style & BS_TYPEMASK, DWORD{BS_DEFPUSHBUTTON});
    const short expected[4][4] = {
        {11, 17, 20, 20}, {40, 10, 119, 8}, {40, 25, 119, 8}, {178, 7, 50, 14}};
    for (std::size_t i = 0; i < 4; ++i) {
        const auto& item = about.items[i];
        EXPECT_EQ((std::vector<short>{item.x, item.y, item.cx, item.cy}),
                  (std::vector<short>{expected[i], expected[i] + 4}))
            << "item " << i;
    }
}

BOOL CALLBACK countName(HMODULE, LPCWSTR, LPWSTR, LONG_PTR count) {
    ++*reinterpret_cast<int*>(count);
    return TRUE;
}

TEST_F(ExecutableResources, TheOnlyStringIsTheAboutEntry) {
    wchar_t text[64] = {};
    ASSERT_GT(::LoadStringW(module_, VELTRA_IDS_ABOUT_ENTRY, text, 64), 0);
    EXPECT_STREQ(text, L"Aboat Quillon");
    // Strings come in blocks of 16: only one block, and in it only string 101.
    int blocks = 0;
    ::EnumResourceNamesW(module_, MAKEINTRESOURCEW(6), countName,
                         reinterpret_cast<LONG_PTR>(&blocks));
    EXPECT_EQ(blocks, 1);
    for (int id = 96; id < 112; ++id) {
        if (id != VELTRA_IDS_ABOUT_ENTRY) {
            EXPECT_EQ(::LoadStringW(module_, static_cast<UINT>(id), text, 64), 0) << id;
        }
    }
}

TEST_F(ExecutableResources, BackgroundIsOneColourAt793By426) {
    const auto bitmap = resource(MAKEINTRESOURCEW(2), VELTRA_IDB_BACKGROUND);  // RT_BITMAP
    ASSERT_GE(bitmap.size(), sizeof(BITMAPINFOHEADER));
    BITMAPINFOHEADER header{};
    std::memcpy(&header, bitmap.data(), sizeof header);
    EXPECT_EQ(header.biWidth, 793);
    EXPECT_EQ(header.biHeight, 426);
    EXPECT_EQ(header.biBitCount, 24);
    EXPECT_EQ(header.biCompression, DWORD{BI_RGB});
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

TEST_F(ExecutableResources, IconHas32And16PixelImagesOf16Colours) {
    const auto group = resource(MAKEINTRESOURCEW(14), VELTRA_IDI_MAIN);  // RT_GROUP_ICON
    ASSERT_GE(group.size(), 6u);
    const WORD count = static_cast<WORD>(group[4] | group[5] << 8);
    bool has32 = false, has16 = false;
    for (WORD i = 0; i < count && 6u + 14u * (i + 1u) <= group.size(); ++i) {
        const std::uint8_t* entry = group.data() + 6 + 14 * i;  // GRPICONDIRENTRY
        const int size = entry[0];
        const int bits = entry[6] | entry[7] << 8;
        has32 |= size == 32 && bits == 4;
        has16 |= size == 16 && bits == 4;
    }
    EXPECT_TRUE(has32);
    EXPECT_TRUE(has16);
}

TEST_F(ExecutableResources, ManifestAsksForAdministratorRights) {
    const auto bytes = resource(MAKEINTRESOURCEW(24), 1);  // RT_MANIFEST
    const std::string manifest(bytes.begin(), bytes.end());
    EXPECT_NE(manifest.find("level=\"requireAdministrator\""), std::string::npos);
    EXPECT_NE(manifest.find("uiAccess=\"false\""), std::string::npos);
    EXPECT_NE(manifest.find("name=\"test.exe.manifest\""), std::string::npos);
    EXPECT_NE(manifest.find("version=\"1.0.0.0\""), std::string::npos);
}

TEST_F(ExecutableResources, VersionRecordInTheChineseSimplifiedBlock) {
    const auto bytes = resource(MAKEINTRESOURCEW(16), 1);  // RT_VERSION
    ASSERT_FALSE(bytes.empty());
    std::vector<std::uint8_t> copy(bytes.begin(), bytes.end());
    copy.resize(bytes.size() * 2);  // room that the query may use
    auto value = [&](const wchar_t* path) -> std::wstring {
        void* data = nullptr;
        UINT length = 0;
        if (!::VerQueryValueW(copy.data(), path, &data, &length) || !data) {
            return L"(none)";
        }
        return std::wstring(static_cast<const wchar_t*>(data));
    };
    EXPECT_EQ(value(L"\\StringFileInfo\\080404b0\\InternalName"), L"Veltra");
    EXPECT_EQ(value(L"\\StringFileInfo\\080404b0\\OriginalFilename"), L"Veltra.EXE");
    void* data = nullptr;
    UINT length = 0;
    ASSERT_TRUE(::VerQueryValueW(copy.data(), L"\\", &data, &length));
    const auto* fixed = static_cast<const VS_FIXEDFILEINFO*>(data);
    EXPECT_EQ(fixed->dwFileVersionMS, 0x00010000u);
    EXPECT_EQ(fixed->dwFileVersionLS, 0x00000001u);
    EXPECT_EQ(fixed->dwProductVersionMS, 0x00010000u);
    EXPECT_EQ(fixed->dwProductVersionLS, 0x00000001u);
    ASSERT_TRUE(::VerQueryValueW(copy.data(), L"\\VarFileInfo\\Translation", &data, &length));
    ASSERT_GE(length, 4u);
    const auto* translation = static_cast<const WORD*>(data);
    EXPECT_EQ(translation[0], 0x0804);
    EXPECT_EQ(translation[1], 1200);
}

}  // namespace
}  // namespace veltra
