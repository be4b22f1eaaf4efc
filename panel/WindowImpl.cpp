#include "WindowImpl.h"

CAppModule g_module;

void CAppModule::Init(HINSTANCE hInstance) noexcept {
    m_hInst = hInstance;
    // A name private to this copy of the module, so two loaded copies never read each other's
    // bindings.
    wchar_t name[40];
    FormatAddressName(name, L"Shelfmap.Object:", reinterpret_cast<UINT_PTR>(hInstance));
    m_propAtom = GlobalAddAtomW(name);
}

void CAppModule::Term() noexcept {
    AcquireSRWLockExclusive(&m_lock);
    for (int i = 0; i < m_nClasses; ++i) UnregisterClassW(MAKEINTATOM(m_classes[i]), m_hInst);
    m_nClasses = 0;
    ReleaseSRWLockExclusive(&m_lock);
    if (m_propAtom) GlobalDeleteAtom(m_propAtom);
    m_propAtom = 0;
}

bool CAppModule::RegisterWindowClass(const WNDCLASSEXW& wc) noexcept {
    bool ok = false;
    AcquireSRWLockExclusive(&m_lock);
    WNDCLASSEXW existing = {};
    existing.cbSize = sizeof(existing);
    if (ATOM atom = static_cast<ATOM>(GetClassInfoExW(wc.hInstance, wc.lpszClassName, &existing))) {
        // Left behind by an earlier copy of this module at the same address: the same code.
        ok = existing.lpfnWndProc == wc.lpfnWndProc;
        bool known = false;
        for (int i = 0; i < m_nClasses; ++i) known = known || m_classes[i] == atom;
        if (ok && !known && m_nClasses < kMaxClasses) m_classes[m_nClasses++] = atom;
    } else if (m_nClasses < kMaxClasses) {
        ATOM atom = RegisterClassExW(&wc);
        if (atom) {
            m_classes[m_nClasses++] = atom;
            ok = true;
        }
    }
    ReleaseSRWLockExclusive(&m_lock);
    return ok;
}

bool CWindowRoot::IsBound() const noexcept {
    return m_hWnd && FromHandle(m_hWnd) == this;
}

void CWindowRoot::Unbind() noexcept {
    if (!m_hWnd) return;
    if (FromHandle(m_hWnd) == this) RemovePropW(m_hWnd, g_module.GetBindingProperty());
    m_hWnd = nullptr;
}

bool CWindowRoot::Bind(CWindowRoot* root, HWND hWnd) noexcept {
    if (!g_module.GetBindingProperty() ||
        !SetPropW(hWnd, g_module.GetBindingProperty(), static_cast<HANDLE>(root)))
        return false;
    root->m_hWnd = hWnd;
    return true;
}

CWindowRoot* CWindowRoot::FromHandle(HWND hWnd) noexcept {
    if (!g_module.GetBindingProperty()) return nullptr;
    return static_cast<CWindowRoot*>(GetPropW(hWnd, g_module.GetBindingProperty()));
}

void CWindowRoot::ReleaseBinding(HWND hWnd) noexcept {
    CWindowRoot* root = FromHandle(hWnd);
    if (!root) return;
    RemovePropW(hWnd, g_module.GetBindingProperty());
    if (root->m_hWnd == hWnd) root->m_hWnd = nullptr;
}

void FormatAddressName(wchar_t* out, const wchar_t* prefix, UINT_PTR value) noexcept {
    int n = 0;
    while (prefix[n] && n < 20) {
        out[n] = prefix[n];
        ++n;
    }
    for (int shift = static_cast<int>(sizeof(value) * 8) - 4; shift >= 0; shift -= 4)
        out[n++] = L"0123456789ABCDEF"[(value >> shift) & 0xF];
    out[n] = L'\0';
}
