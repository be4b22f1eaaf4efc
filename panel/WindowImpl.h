#pragma once
// A small window-class layer: binds a C++ object to its window, registers the window class on
// first use and hands every message to T::ProcessWindowMessage, the way the ATL classes do.
//
// The object is bound when its window is made (WM_NCCREATE from the creation parameter, or
// WM_INITDIALOG from the dialog's initialisation parameter) and found afterwards through a window
// property; it is unbound at WM_NCDESTROY. A window without a bound object gets default handling,
// so a window that outlives its binding never calls into a freed object.
#include <windows.h>

// The module object: the instance handle that dialog templates and window classes are loaded and
// registered through, and the classes to unregister when the module goes away.
class CAppModule {
public:
    void Init(HINSTANCE hInstance) noexcept;
    // Unregisters the classes registered through the module: a class left behind would keep a
    // window procedure that points into an unloaded DLL.
    void Term() noexcept;

    HINSTANCE GetModuleInstance() const noexcept { return m_hInst; }
    HINSTANCE GetResourceInstance() const noexcept { return m_hInst; }
    // The property that holds a window's bound object.
    LPCWSTR GetBindingProperty() const noexcept { return MAKEINTATOM(m_propAtom); }

    // Registers the class unless the module already has it; true when it is there afterwards.
    bool RegisterWindowClass(const WNDCLASSEXW& wc) noexcept;

private:
    static constexpr int kMaxClasses = 4;
    HINSTANCE m_hInst = nullptr;
    ATOM m_propAtom = 0;
    ATOM m_classes[kMaxClasses] = {};
    int m_nClasses = 0;
    SRWLOCK m_lock = SRWLOCK_INIT;
};

extern CAppModule g_module;

template <DWORD t_dwStyle = 0, DWORD t_dwExStyle = 0>
class CWinTraits {
public:
    static constexpr DWORD GetWndStyle(DWORD dwStyle) { return dwStyle == 0 ? t_dwStyle : dwStyle; }
    static constexpr DWORD GetWndExStyle(DWORD dwExStyle) {
        return dwExStyle == 0 ? t_dwExStyle : dwExStyle;
    }
};

// The window handle and its binding; shared by windows and dialogs.
class CWindowRoot {
public:
    HWND m_hWnd = nullptr;

    CWindowRoot() = default;
    CWindowRoot(const CWindowRoot&) = delete;
    CWindowRoot& operator=(const CWindowRoot&) = delete;

    // True while m_hWnd is a window bound to this object.
    bool IsBound() const noexcept;
    // Cuts the object off its window without destroying it: the window then gets default
    // handling only. Does nothing without a window.
    void Unbind() noexcept;

protected:
    ~CWindowRoot() { Unbind(); }

    static bool Bind(CWindowRoot* root, HWND hWnd) noexcept;
    static CWindowRoot* FromHandle(HWND hWnd) noexcept;
    // At WM_NCDESTROY: drops the window's binding, and the object's handle if it is this window
    // (a handler may already have bound the object to another one).
    static void ReleaseBinding(HWND hWnd) noexcept;
};

// prefix followed by value in hexadecimal; out holds at least 40 characters.
void FormatAddressName(wchar_t* out, const wchar_t* prefix, UINT_PTR value) noexcept;

template <class T, class TTraits = CWinTraits<WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | WS_CLIPSIBLINGS, 0>>
class CWindowImpl : public CWindowRoot {
public:
    // A private class per window type and module, like ATL's "ATL:address" names.
    static LPCWSTR GetWndClassName() noexcept {
        static wchar_t name[40];
        if (!name[0]) FormatAddressName(name, L"Shelfmap:", reinterpret_cast<UINT_PTR>(&WindowProc));
        return name;
    }

    // Makes the window; style and exStyle 0 take the traits' values. A window this object still
    // had is unbound first, so only the new one reaches the object. Returns the window or null.
    HWND Create(HWND hWndParent, const RECT& rect, LPCWSTR szWindowName = nullptr, DWORD dwStyle = 0,
                DWORD dwExStyle = 0, UINT nID = 0) noexcept {
        Unbind();
        WNDCLASSEXW wc = {};
        wc.cbSize = sizeof(wc);
        wc.style = CS_HREDRAW | CS_VREDRAW | CS_DBLCLKS;
        wc.lpfnWndProc = &WindowProc;
        wc.hInstance = g_module.GetModuleInstance();
        wc.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));  // IDC_ARROW
        wc.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_WINDOW + 1));
        wc.lpszClassName = GetWndClassName();
        if (!g_module.RegisterWindowClass(wc)) return nullptr;
        CWindowRoot* self = this;
        return CreateWindowExW(TTraits::GetWndExStyle(dwExStyle), wc.lpszClassName, szWindowName,
                               TTraits::GetWndStyle(dwStyle), rect.left, rect.top,
                               rect.right - rect.left, rect.bottom - rect.top, hWndParent,
                               reinterpret_cast<HMENU>(static_cast<UINT_PTR>(nID)),
                               g_module.GetModuleInstance(), self);
    }

    static LRESULT CALLBACK WindowProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam) {
        CWindowRoot* root = FromHandle(hWnd);
        if (!root && uMsg == WM_NCCREATE) {
            auto* cs = reinterpret_cast<const CREATESTRUCTW*>(lParam);
            root = cs ? static_cast<CWindowRoot*>(cs->lpCreateParams) : nullptr;
            // Unable to bind: fail the creation rather than leave an orphan window.
            if (root && !Bind(root, hWnd)) return FALSE;
        }
        if (!root) return DefWindowProcW(hWnd, uMsg, wParam, lParam);
        T* pThis = static_cast<T*>(static_cast<CWindowImpl*>(root));
        LRESULT lResult = 0;
        try {
            if (!pThis->ProcessWindowMessage(hWnd, uMsg, wParam, lParam, lResult, 0))
                lResult = DefWindowProcW(hWnd, uMsg, wParam, lParam);
        } catch (...) {
            // No exception crosses into the system: the message gets its default handling.
            lResult = DefWindowProcW(hWnd, uMsg, wParam, lParam);
        }
        if (uMsg == WM_NCDESTROY) ReleaseBinding(hWnd);
        return lResult;
    }

protected:
    ~CWindowImpl() = default;
};

template <class T>
class CDialogImpl : public CWindowRoot {
public:
    // A modeless dialog from template T::IDD, owned by hWndParent. Returns the dialog or null.
    HWND Create(HWND hWndParent) noexcept {
        Unbind();
        CWindowRoot* self = this;
        return CreateDialogParamW(g_module.GetResourceInstance(), MAKEINTRESOURCEW(T::IDD),
                                  hWndParent, &DialogProc, reinterpret_cast<LPARAM>(self));
    }

    static INT_PTR CALLBACK DialogProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam) {
        CWindowRoot* root = FromHandle(hWnd);
        if (!root && uMsg == WM_INITDIALOG) {
            root = reinterpret_cast<CWindowRoot*>(lParam);
            if (root && !Bind(root, hWnd)) root = nullptr;
        }
        if (!root) return FALSE;
        T* pThis = static_cast<T*>(static_cast<CDialogImpl*>(root));
        LRESULT lResult = 0;
        BOOL handled = FALSE;
        try {
            handled = pThis->ProcessWindowMessage(hWnd, uMsg, wParam, lParam, lResult, 0);
        } catch (...) {
            handled = FALSE;  // default dialog handling
        }
        if (uMsg == WM_NCDESTROY) ReleaseBinding(hWnd);
        if (!handled) return FALSE;
        switch (uMsg) {
        // These messages return their result directly; the others through DWLP_MSGRESULT.
        case WM_COMPAREITEM: case WM_VKEYTOITEM: case WM_CHARTOITEM: case WM_INITDIALOG:
        case WM_QUERYDRAGICON: case WM_CTLCOLORMSGBOX: case WM_CTLCOLOREDIT:
        case WM_CTLCOLORLISTBOX: case WM_CTLCOLORBTN: case WM_CTLCOLORDLG:
        case WM_CTLCOLORSCROLLBAR: case WM_CTLCOLORSTATIC:
            return static_cast<INT_PTR>(lResult);
        default:
            if (IsWindow(hWnd)) SetWindowLongPtrW(hWnd, DWLP_MSGRESULT, lResult);
            return TRUE;
        }
    }

protected:
    // A dialog belongs to its object: one still there goes with it.
    ~CDialogImpl() {
        if (IsBound()) DestroyWindow(m_hWnd);
    }
};
