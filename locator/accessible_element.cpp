#include "locator/accessible_element.h"

#include <oleacc.h>

#include <functional>
#include <memory>

#include "win/foreign_message.h"
#include "win/scoped.h"
#include "win/system_dll.h"

namespace vorbel {
namespace {

// Far more than any form shows: bounds the walk of a tree that changes or loops while we read it.
constexpr LONG kMaxChildren = 512;
constexpr int kMaxTreeDepth = 32;
constexpr size_t kMaxTextLength = 1023;
constexpr DWORD kRetryPauseMs = 50;
// Time for the worker to give its answer before the caller stops waiting.
constexpr DWORD kAnswerMarginMs = 150;

using CoInitializeExFn = HRESULT(WINAPI*)(void*, DWORD);
using CoUninitializeFn = void(WINAPI*)();
using FromWindowFn = HRESULT(WINAPI*)(HWND, DWORD, REFIID, void**);
using FromPointFn = HRESULT(WINAPI*)(POINT, IAccessible**, VARIANT*);
using ChildrenFn = HRESULT(WINAPI*)(IAccessible*, LONG, LONG, VARIANT*, LONG*);
using SysFreeStringFn = void(WINAPI*)(BSTR);
using SysStringLenFn = UINT(WINAPI*)(BSTR);

// The functions a query needs, loaded by the worker on its first use.
struct Msaa {
    FromWindowFn fromWindow = SystemDllFunction<FromWindowFn>("oleacc.dll", "AccessibleObjectFromWindow");
    FromPointFn fromPoint = SystemDllFunction<FromPointFn>("oleacc.dll", "AccessibleObjectFromPoint");
    ChildrenFn children = SystemDllFunction<ChildrenFn>("oleacc.dll", "AccessibleChildren");
    SysFreeStringFn freeString = SystemDllFunction<SysFreeStringFn>("oleaut32.dll", "SysFreeString");
    SysStringLenFn stringLength = SystemDllFunction<SysStringLenFn>("oleaut32.dll", "SysStringLen");

    bool Loaded() const { return fromWindow && fromPoint && children && freeString && stringLength; }
};

// An interface reference released when it goes.
class AccRef {
public:
    AccRef() = default;
    explicit AccRef(IAccessible* acc) : acc_(acc) {}
    AccRef(const AccRef& other) : acc_(other.acc_) {
        if (acc_) acc_->AddRef();
    }
    AccRef& operator=(AccRef other) {
        std::swap(acc_, other.acc_);
        return *this;
    }
    ~AccRef() {
        if (acc_) acc_->Release();
    }
    IAccessible* get() const { return acc_; }
    IAccessible** out() { return &acc_; }

private:
    IAccessible* acc_ = nullptr;
};

// An element: a full object (child CHILDID_SELF) or a simple child of one.
struct Node {
    AccRef acc;
    LONG child = CHILDID_SELF;
};

VARIANT ChildVariant(LONG child) {
    VARIANT v = {};
    v.vt = VT_I4;
    v.lVal = child;
    return v;
}

std::u16string TakeString(const Msaa& msaa, BSTR text) {
    if (!text) return {};
    size_t length = msaa.stringLength(text);
    if (length > kMaxTextLength) length = kMaxTextLength;
    std::u16string result(reinterpret_cast<const char16_t*>(text), length);
    msaa.freeString(text);
    return result;
}

std::u16string NameOf(const Msaa& msaa, const Node& n) {
    BSTR text = nullptr;
    if (n.acc.get()->get_accName(ChildVariant(n.child), &text) != S_OK) return {};
    return TakeString(msaa, text);
}

std::u16string ValueOf(const Msaa& msaa, const Node& n) {
    BSTR text = nullptr;
    if (n.acc.get()->get_accValue(ChildVariant(n.child), &text) != S_OK) return {};
    return TakeString(msaa, text);
}

int32_t RoleOf(const Node& n) {
    VARIANT role = {};
    if (n.acc.get()->get_accRole(ChildVariant(n.child), &role) != S_OK || role.vt != VT_I4) return 0;
    return role.lVal;
}

std::optional<RECT> LocationOf(const Node& n) {
    LONG left = 0, top = 0, width = 0, height = 0;
    if (n.acc.get()->accLocation(&left, &top, &width, &height, ChildVariant(n.child)) != S_OK) return std::nullopt;
    return RECT{left, top, left + width, top + height};
}

bool Invisible(const Node& n) {
    VARIANT state = {};
    return n.acc.get()->get_accState(ChildVariant(n.child), &state) == S_OK && state.vt == VT_I4 &&
           (state.lVal & STATE_SYSTEM_INVISIBLE) != 0;
}

std::vector<Node> ChildrenOf(const Msaa& msaa, const Node& parent) {
    std::vector<Node> nodes;
    LONG count = 0;
    if (parent.child != CHILDID_SELF || parent.acc.get()->get_accChildCount(&count) != S_OK || count <= 0) {
        return nodes;
    }
    if (count > kMaxChildren) count = kMaxChildren;
    std::vector<VARIANT> children(static_cast<size_t>(count));
    LONG obtained = 0;
    if (FAILED(msaa.children(parent.acc.get(), 0, count, children.data(), &obtained))) return nodes;
    if (obtained > count) obtained = count;
    for (LONG i = 0; i < obtained; ++i) {
        VARIANT& v = children[static_cast<size_t>(i)];
        if (v.vt == VT_DISPATCH && v.pdispVal) {
            IAccessible* acc = nullptr;
            if (v.pdispVal->QueryInterface(__uuidof(IAccessible), reinterpret_cast<void**>(&acc)) != S_OK)
                acc = nullptr;
            v.pdispVal->Release();
            nodes.push_back({AccRef(acc), CHILDID_SELF});
        } else if (v.vt == VT_I4) {
            nodes.push_back({parent.acc, v.lVal});
        } else {
            nodes.push_back({});  // keeps the positions of the others
        }
    }
    return nodes;
}

std::optional<Node> RootOf(const Msaa& msaa, HWND host) {
    Node root;
    if (msaa.fromWindow(host, static_cast<DWORD>(OBJID_CLIENT), __uuidof(IAccessible),
                        reinterpret_cast<void**>(root.acc.out())) != S_OK ||
        !root.acc.get()) {
        return std::nullopt;
    }
    return root;
}

std::u16string Cut(std::u16string name) {
    if (name.size() > kMaxAccessibleNameLength) name.resize(kMaxAccessibleNameLength);
    return name;
}

// Holds the process's multithreaded apartment open from the first query on, so that each
// worker joins it instead of setting one up, and torn down, every time.
DWORD WINAPI KeepApartment(void*) {
    const auto initialize = SystemDllFunction<CoInitializeExFn>("ole32.dll", "CoInitializeEx");
    if (initialize) initialize(nullptr, COINIT_MULTITHREADED);
    Sleep(INFINITE);
    return 0;
}

void KeepApartmentOpen() {
    static const bool started = [] {
        HANDLE thread = CreateThread(nullptr, 0, KeepApartment, nullptr, 0, nullptr);
        if (thread) CloseHandle(thread);
        return thread != nullptr;
    }();
    (void)started;
}

// Runs `work` on a thread of its own COM apartment and waits for it at most the bound that a
// hung window costs, handling messages sent to this thread meanwhile. false when abandoned: the
// worker then ends on its own, or never, holding only what it owns.
bool RunBounded(std::function<void(const Msaa&)> work) {
    struct Job {
        std::function<void(const Msaa&)> work;
        UniqueHandle done;
    };
    auto job = std::make_shared<Job>();
    job->work = std::move(work);
    job->done.reset(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    if (!job->done) return false;
    KeepApartmentOpen();
    auto* handover = new std::shared_ptr<Job>(job);
    // Marked WINAPI: on x86 a thread routine is stdcall, which a plain lambda does not convert to.
    LPTHREAD_START_ROUTINE run = [](void* parameter) WINAPI -> DWORD {
        const std::shared_ptr<Job> job = *static_cast<std::shared_ptr<Job>*>(parameter);
        delete static_cast<std::shared_ptr<Job>*>(parameter);
        const auto initialize = SystemDllFunction<CoInitializeExFn>("ole32.dll", "CoInitializeEx");
        const auto uninitialize = SystemDllFunction<CoUninitializeFn>("ole32.dll", "CoUninitialize");
        if (initialize && uninitialize && SUCCEEDED(initialize(nullptr, COINIT_MULTITHREADED))) {
            const Msaa msaa;
            if (msaa.Loaded()) job->work(msaa);
            uninitialize();
        }
        SetEvent(job->done.get());
        return 0;
    };
    HANDLE thread = CreateThread(nullptr, 0, run, handover, 0, nullptr);
    if (!thread) {
        delete handover;
        return false;
    }
    CloseHandle(thread);
    const ULONGLONG until = GetTickCount64() + kForeignAnswerTimeoutMs;
    HANDLE done = job->done.get();
    for (;;) {
        const ULONGLONG now = GetTickCount64();
        if (now >= until) return WaitForSingleObject(done, 0) == WAIT_OBJECT_0;
        const DWORD waited =
            MsgWaitForMultipleObjects(1, &done, FALSE, static_cast<DWORD>(until - now), QS_SENDMESSAGE);
        if (waited == WAIT_OBJECT_0) return true;
        if (waited != WAIT_OBJECT_0 + 1) return WaitForSingleObject(done, 0) == WAIT_OBJECT_0;
        MSG msg;
        PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    }
}

ULONGLONG WorkerDeadline() { return GetTickCount64() + kForeignAnswerTimeoutMs - kAnswerMarginMs; }

AccessibleElement Describe(const Msaa& msaa, HWND host, const Node& n, std::vector<AccessibleStep> path) {
    AccessibleElement e;
    e.host = host;
    e.path = std::move(path);
    e.screen = LocationOf(n).value_or(RECT{});
    e.name = NameOf(msaa, n);
    e.value = ValueOf(msaa, n);
    return e;
}

void CollectTextElements(const Msaa& msaa, HWND host, const Node& node, std::vector<AccessibleStep>& path,
                         std::vector<AccessibleElement>& out, size_t limit, int depth) {
    if (depth >= kMaxTreeDepth) return;
    const std::vector<Node> children = ChildrenOf(msaa, node);
    for (size_t i = 0; i < children.size() && out.size() < limit; ++i) {
        const Node& c = children[i];
        if (!c.acc.get()) continue;
        path.push_back({RoleOf(c), static_cast<int32_t>(i + 1), NameOf(msaa, c)});
        AccessibleElement e = Describe(msaa, host, c, path);
        if (!e.Text().empty()) out.push_back(std::move(e));
        CollectTextElements(msaa, host, c, path, out, limit, depth + 1);
        path.pop_back();
    }
}

// The child that a step names, or nullopt.
std::optional<Node> FollowStep(const Msaa& msaa, const std::vector<Node>& children, const AccessibleStep& step) {
    std::optional<size_t> best;
    const auto distance = [&](size_t i) {
        const int64_t d = static_cast<int64_t>(i + 1) - step.index;
        return d < 0 ? -d : d;
    };
    for (size_t i = 0; i < children.size(); ++i) {
        const Node& c = children[i];
        if (!c.acc.get() || RoleOf(c) != step.role || Cut(NameOf(msaa, c)) != step.name) continue;
        if (!best || distance(i) < distance(*best)) best = i;
    }
    if (best) return children[*best];
    // Renamed: the same place among its siblings, in the same role.
    if (step.index >= 1 && static_cast<size_t>(step.index) <= children.size()) {
        const Node& c = children[static_cast<size_t>(step.index) - 1];
        if (c.acc.get() && RoleOf(c) == step.role) return c;
    }
    return std::nullopt;
}

// The child with that id asked for directly: one call instead of a walk of all the children.
std::optional<Node> ChildById(const Node& parent, LONG id) {
    if (parent.child != CHILDID_SELF) return std::nullopt;
    IDispatch* dispatch = nullptr;
    const HRESULT hr = parent.acc.get()->get_accChild(ChildVariant(id), &dispatch);
    if (hr == S_FALSE && !dispatch) return Node{parent.acc, id};  // a simple element of the parent
    if (hr != S_OK || !dispatch) return std::nullopt;
    IAccessible* acc = nullptr;
    if (dispatch->QueryInterface(__uuidof(IAccessible), reinterpret_cast<void**>(&acc)) != S_OK) acc = nullptr;
    dispatch->Release();
    if (!acc) return std::nullopt;
    return Node{AccRef(acc), CHILDID_SELF};
}

std::optional<Node> FollowPath(const Msaa& msaa, HWND host, const std::vector<AccessibleStep>& path) {
    std::optional<Node> node = RootOf(msaa, host);
    for (const AccessibleStep& step : path) {
        if (!node) return std::nullopt;
        // Most often the element is where it was: checked first, the siblings only when it is not.
        const auto direct = ChildById(*node, step.index);
        if (direct && RoleOf(*direct) == step.role && Cut(NameOf(msaa, *direct)) == step.name) {
            node = direct;
            continue;
        }
        node = FollowStep(msaa, ChildrenOf(msaa, *node), step);
    }
    return node;
}

bool WithinWindow(HWND host, HWND w) { return w && (w == host || IsChild(host, w)); }

std::optional<Node> NodeAtPoint(const Msaa& msaa, POINT screen) {
    Node n;
    VARIANT child = {};
    if (msaa.fromPoint(screen, n.acc.out(), &child) != S_OK || !n.acc.get()) return std::nullopt;
    if (child.vt == VT_I4) n.child = child.lVal;
    return n;
}

}  // namespace

std::optional<AccessibleElement> ElementAtScreenPoint(HWND host, POINT screen) {
    auto found = std::make_shared<std::optional<AccessibleElement>>();
    const bool answered = RunBounded([host, screen, found](const Msaa& msaa) {
        std::optional<Node> node = RootOf(msaa, host);
        if (!node) return;
        std::vector<AccessibleStep> path;
        for (int depth = 0; depth < kMaxTreeDepth; ++depth) {
            const std::vector<Node> children = ChildrenOf(msaa, *node);
            std::optional<size_t> hit;
            // Among siblings that hold the point, the last one, as drawn over the others.
            for (size_t i = 0; i < children.size(); ++i) {
                if (!children[i].acc.get()) continue;
                const auto where = LocationOf(children[i]);
                if (where && PtInRect(&*where, screen) && !Invisible(children[i])) hit = i;
            }
            if (!hit) break;
            node = children[*hit];
            path.push_back({RoleOf(*node), static_cast<int32_t>(*hit + 1), NameOf(msaa, *node)});
        }
        if (path.empty()) return;  // the window itself: a control, not an element it draws
        AccessibleElement e = Describe(msaa, host, *node, std::move(path));
        if (!e.Text().empty()) *found = std::move(e);
    });
    if (!answered) return std::nullopt;
    return *found;
}

std::vector<AccessibleElement> TextElementsOf(HWND host, size_t limit) {
    auto found = std::make_shared<std::vector<AccessibleElement>>();
    const bool answered = RunBounded([host, limit, found](const Msaa& msaa) {
        const std::optional<Node> root = RootOf(msaa, host);
        if (!root) return;
        std::vector<AccessibleStep> path;
        CollectTextElements(msaa, host, *root, path, *found, limit, 0);
    });
    if (!answered) return {};
    return *found;
}

std::optional<std::u16string> ReadElementText(HWND host, const std::vector<AccessibleStep>& path,
                                              std::optional<POINT> fallback) {
    if (path.empty()) return std::nullopt;
    auto found = std::make_shared<std::optional<std::u16string>>();
    const bool answered = RunBounded([host, path, fallback, found](const Msaa& msaa) {
        const ULONGLONG until = WorkerDeadline();
        for (;;) {
            if (const auto node = FollowPath(msaa, host, path)) {
                const std::u16string value = ValueOf(msaa, *node);
                *found = value.empty() ? NameOf(msaa, *node) : value;
                return;
            }
            if (fallback && WithinWindow(host, WindowFromPoint(*fallback))) {
                const auto node = NodeAtPoint(msaa, *fallback);
                if (node && RoleOf(*node) == path.back().role) {
                    const std::u16string value = ValueOf(msaa, *node);
                    *found = value.empty() ? NameOf(msaa, *node) : value;
                    return;
                }
            }
            if (GetTickCount64() + kRetryPauseMs >= until) return;
            Sleep(kRetryPauseMs);
        }
    });
    if (!answered) return std::nullopt;
    return *found;
}

std::u16string ReadElementTextAtPoint(POINT screen) {
    auto found = std::make_shared<std::u16string>();
    const bool answered = RunBounded([screen, found](const Msaa& msaa) {
        if (const auto node = NodeAtPoint(msaa, screen)) {
            const std::u16string value = ValueOf(msaa, *node);
            *found = value.empty() ? NameOf(msaa, *node) : value;
        }
    });
    return answered ? *found : std::u16string();
}

}  // namespace vorbel
