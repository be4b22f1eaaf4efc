// The frame instance registry and OnEvents.
#include <memory>

#include "Exports.h"
#include "HostInterface.h"
#include "PluginInstance.h"
#include "settings/IniFile.h"


namespace {

// Holds g_hInstanceMutex for a scope. Its results are not tested: the registry is used as if the
// wait had succeeded.
class InstanceLock {
public:
    InstanceLock() noexcept { WaitForSingleObject(g_hInstanceMutex.get(), INFINITE); }
    ~InstanceLock() { ReleaseMutex(g_hInstanceMutex.get()); }
    InstanceLock(const InstanceLock&) = delete;
    InstanceLock& operator=(const InstanceLock&) = delete;
};

}  // namespace

CPluginInstance* LookupInstance(HWND hWndFrame) noexcept {
    InstanceLock lock;
    // A plain find: a frame that is not registered leaves no entry behind.
    auto it = g_mapInstances.find(hWndFrame);
    return it == g_mapInstances.end() ? nullptr : it->second;
}

void DestroyAllInstances() noexcept {
    InstanceMap taken;
    {
        InstanceLock lock;
        taken.swap(g_mapInstances);
    }
    for (auto& entry : taken) delete entry.second;
}

extern "C" void WINAPI OnEvents(HWND hWnd, UINT nEvent, LPARAM) {
    if (nEvent & EVENT_IGNORED_MASK) return;
    try {
        CPluginInstance* pInstance = nullptr;
        {
            InstanceLock lock;
            auto it = g_mapInstances.find(hWnd);
            if (it == g_mapInstances.end() || !it->second) {
                auto created = std::make_unique<CPluginInstance>(&g_iniFile);
                if (it == g_mapInstances.end()) it = g_mapInstances.emplace(hWnd, nullptr).first;
                it->second = created.release();
            }
            pInstance = it->second;
        }

        if (nEvent & EVENT_CUSTOM_BAR_CLOSED) pInstance->m_nBarId = -1;

        if (nEvent & EVENT_CLOSE_FRAME) {
            {
                InstanceLock lock;
                auto it = g_mapInstances.find(hWnd);
                if (it != g_mapInstances.end() && it->second == pInstance) g_mapInstances.erase(it);
            }
            // Outside the lock: freeing the bar destroys a bar window that is still there, and
            // that sends messages to the editor.
            delete pInstance;
        }
    } catch (...) {
        // Out of memory: the frame stays unregistered; nothing reaches the editor.
    }
}
