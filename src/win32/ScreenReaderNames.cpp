#include "win32/ScreenReaderNames.h"

#include "ui/DialogTemplate.h"
#include "win32/WideText.h"

namespace veltra {

namespace {

const MSAAPROPID Annotated[] = {PROPID_ACC_NAME, PROPID_ACC_DESCRIPTION};
// The annotation service's class; mingw-w64's import libraries do not carry it.
constexpr CLSID AccPropServices = {
    0xb5f8350b, 0x0548, 0x48b1, {0xa6, 0xee, 0x88, 0xbd, 0x00, 0xb4, 0xa5, 0xe7}};

}  // namespace

void ScreenReaderNames::attach(HWND dialog) {
    const HRESULT started = ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    comStarted_ = SUCCEEDED(started);
    if (FAILED(::CoCreateInstance(AccPropServices, nullptr, CLSCTX_INPROC_SERVER,
                                  IID_IAccPropServices, reinterpret_cast<void**>(&services_)))) {
        services_ = nullptr;
        return;
    }
    dialog_ = dialog;
    for (const ControlTemplate& control : mainDialogTemplate().controls) {
        if (control.id == ControlId::None || control.kind == ControlKind::Label) {
            continue;
        }
        const HWND item = ::GetDlgItem(dialog, toInt(control.id));
        // The button and the check box are named by their captions, as Windows does.
        if (const std::string_view name = controlName(control.id); !name.empty()) {
            annotate(item, PROPID_ACC_NAME, name);
        }
        if (const ControlTemplate* unit = unitLabel(control.id)) {
            annotate(item, PROPID_ACC_DESCRIPTION, unit->text);
        }
    }
}

void ScreenReaderNames::detach() {
    if (services_) {
        for (const ControlTemplate& control : mainDialogTemplate().controls) {
            if (control.id != ControlId::None && control.kind != ControlKind::Label) {
                services_->ClearHwndProps(::GetDlgItem(dialog_, toInt(control.id)),
                                          DWORD(OBJID_CLIENT), CHILDID_SELF, Annotated, 2);
            }
        }
        services_->Release();
        services_ = nullptr;
    }
    dialog_ = nullptr;
    if (comStarted_) {
        ::CoUninitialize();
        comStarted_ = false;
    }
}

void ScreenReaderNames::unitShown(ControlId label, std::string_view utf8Text) {
    const ControlId owner = unitOwner(label);
    if (services_ && owner != ControlId::None) {
        annotate(::GetDlgItem(dialog_, toInt(owner)), PROPID_ACC_DESCRIPTION, utf8Text);
    }
}

void ScreenReaderNames::annotate(HWND control, const MSAAPROPID& property,
                                 std::string_view utf8Text) {
    if (control) {
        services_->SetHwndPropStr(control, DWORD(OBJID_CLIENT), CHILDID_SELF, property,
                                  utf8ToWide(utf8Text).c_str());
    }
}

}  // namespace veltra
