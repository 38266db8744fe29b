#include "win/accessibility.h"

#include <initguid.h>

namespace tintora::win {

namespace {

    // UI Automation's live setting, which a screen reader reads an
    // annotated element's changes by: Polite (1) waits for what it is saying.
    // {C12BCD8E-2A8E-4950-8AE7-3625111D58EB}
    DEFINE_GUID(
        live_setting_property, 0xc12bcd8e, 0x2a8e, 0x4950, 0x8a, 0xe7, 0x36, 0x25, 0x11, 0x1d, 0x58, 0xeb);
    constexpr long polite = 1;

    void annotate(IAccPropServices* services, HWND hwnd, MSAAPROPID const& property, long value)
    {
        VARIANT variant;
        VariantInit(&variant);
        variant.vt = VT_I4;
        variant.lVal = value;
        services->SetHwndProp(hwnd, static_cast<DWORD>(OBJID_CLIENT), CHILDID_SELF, property, variant);
    }

}

Accessibility::Accessibility(HWND window)
{
    m_com = SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED));
    if (FAILED(CoCreateInstance(CLSID_AccPropServices, nullptr, CLSCTX_INPROC_SERVER, IID_IAccPropServices,
            reinterpret_cast<void**>(&m_services))))
        m_services = nullptr;
    // A static that draws nothing, a pixel at the window's corner, shown so
    // that screen readers keep it in the tree.
    m_announcer = CreateWindowExW(WS_EX_TRANSPARENT, L"STATIC", L"", WS_CHILD | WS_VISIBLE | SS_OWNERDRAW, 0,
        0, 1, 1, window, nullptr, GetModuleHandleW(nullptr), nullptr);
    if (m_services != nullptr)
        annotate(m_services, m_announcer, live_setting_property, polite);
}

Accessibility::~Accessibility()
{
    if (m_services != nullptr)
        m_services->Release();
    if (m_com)
        CoUninitialize();
}

void Accessibility::describe(
    HWND control, std::wstring const& name, std::wstring const& description, bool graphic)
{
    if (m_services == nullptr)
        return;
    auto const object = static_cast<DWORD>(OBJID_CLIENT);
    m_services->SetHwndPropStr(control, object, CHILDID_SELF, PROPID_ACC_NAME, name.c_str());
    if (!description.empty())
        m_services->SetHwndPropStr(
            control, object, CHILDID_SELF, PROPID_ACC_DESCRIPTION, description.c_str());
    if (graphic)
        annotate(m_services, control, PROPID_ACC_ROLE, ROLE_SYSTEM_GRAPHIC);
}

void Accessibility::announce(std::wstring const& sentence)
{
    SetWindowTextW(m_announcer, sentence.c_str());
    describe(m_announcer, sentence, L"");
    NotifyWinEvent(EVENT_OBJECT_NAMECHANGE, m_announcer, OBJID_CLIENT, CHILDID_SELF);
    NotifyWinEvent(EVENT_OBJECT_LIVEREGIONCHANGED, m_announcer, OBJID_CLIENT, CHILDID_SELF);
}

}
