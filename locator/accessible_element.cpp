#include "locator/accessible_element.h"

#include <oleacc.h>

#include <algorithm>
#include <deque>
#include <functional>
#include <memory>
#include <utility>

#include "win/bounded_worker.h"
#include "win/foreign_message.h"
#include "win/scoped.h"
#include "win/system_dll.h"

namespace vorbel {
namespace {

// Far more than any form shows: bounds the walk of a tree that changes or loops while we read it.
constexpr LONG kMaxChildren = 512;
constexpr int kMaxTreeDepth = 32;
// Elements one walk of a whole tree visits at most: a tree that loops or never ends costs the
// practice program's window thread a moment, not the whole time a walk is allowed.
constexpr size_t kMaxWalkedElements = 2048;
constexpr size_t kMaxTextLength = 1023;
constexpr DWORD kRetryPauseMs = 50;
// Time for the worker to give its answer before the caller stops waiting.
constexpr DWORD kAnswerMarginMs = 150;

using FromWindowFn = HRESULT(WINAPI*)(HWND, DWORD, REFIID, void**);
using FromPointFn = HRESULT(WINAPI*)(POINT, IAccessible**, VARIANT*);
using ChildrenFn = HRESULT(WINAPI*)(IAccessible*, LONG, LONG, VARIANT*, LONG*);
using SysFreeStringFn = void(WINAPI*)(BSTR);
using SysStringLenFn = UINT(WINAPI*)(BSTR);
using VariantClearFn = HRESULT(WINAPI*)(VARIANT*);

// The functions a query needs, loaded by the worker on its first use, and whether the query may
// still call into the other program.
struct Msaa {
    FromWindowFn fromWindow = SystemDllFunction<FromWindowFn>("oleacc.dll", "AccessibleObjectFromWindow");
    FromPointFn fromPoint = SystemDllFunction<FromPointFn>("oleacc.dll", "AccessibleObjectFromPoint");
    ChildrenFn children = SystemDllFunction<ChildrenFn>("oleacc.dll", "AccessibleChildren");
    SysFreeStringFn freeString = SystemDllFunction<SysFreeStringFn>("oleaut32.dll", "SysFreeString");
    SysStringLenFn stringLength = SystemDllFunction<SysStringLenFn>("oleaut32.dll", "SysStringLen");
    VariantClearFn clearVariant = SystemDllFunction<VariantClearFn>("oleaut32.dll", "VariantClear");
    const WorkerStop& stop;

    explicit Msaa(const WorkerStop& s) : stop(s) {}
    bool Loaded() const { return fromWindow && fromPoint && children && freeString && stringLength && clearVariant; }
    // Checked before every call into the other program: once the caller has given up or the time
    // is spent, the worker makes no further call and only releases what it holds.
    bool Stopped() const { return stop.Stopped(); }
};

// An interface reference released when it goes.
template <typename Interface>
class ComRef {
public:
    ComRef() = default;
    explicit ComRef(Interface* p) : p_(p) {}
    ComRef(const ComRef& other) : p_(other.p_) {
        if (p_) p_->AddRef();
    }
    ComRef& operator=(ComRef other) {
        std::swap(p_, other.p_);
        return *this;
    }
    ~ComRef() {
        if (p_) p_->Release();
    }
    Interface* get() const { return p_; }
    Interface** out() { return &p_; }

private:
    Interface* p_ = nullptr;
};

using AccRef = ComRef<IAccessible>;

// A VARIANT an answer fills, cleared when it goes: whatever the provider put in it (a role given
// as a text, an object) is freed, whatever the call returned.
class AnswerVariant {
public:
    explicit AnswerVariant(const Msaa& msaa) : msaa_(msaa) {}
    AnswerVariant(const AnswerVariant&) = delete;
    AnswerVariant& operator=(const AnswerVariant&) = delete;
    ~AnswerVariant() { msaa_.clearVariant(&v_); }
    VARIANT* out() { return &v_; }
    const VARIANT& get() const { return v_; }

private:
    const Msaa& msaa_;
    VARIANT v_ = {};  // VT_EMPTY
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

// The text of an answer's string, which is freed whatever the call returned: a provider may hand
// one out with S_FALSE or a failure. Only S_OK's text counts.
std::u16string TakeString(const Msaa& msaa, HRESULT hr, BSTR text) {
    if (!text) return {};
    std::u16string result;
    if (hr == S_OK) {
        size_t length = msaa.stringLength(text);
        if (length > kMaxTextLength) length = kMaxTextLength;
        result.assign(reinterpret_cast<const char16_t*>(text), length);
    }
    msaa.freeString(text);
    return result;
}

std::u16string NameOf(const Msaa& msaa, const Node& n) {
    if (msaa.Stopped()) return {};
    BSTR text = nullptr;
    const HRESULT hr = n.acc.get()->get_accName(ChildVariant(n.child), &text);
    return TakeString(msaa, hr, text);
}

std::u16string ValueOf(const Msaa& msaa, const Node& n) {
    if (msaa.Stopped()) return {};
    BSTR text = nullptr;
    const HRESULT hr = n.acc.get()->get_accValue(ChildVariant(n.child), &text);
    return TakeString(msaa, hr, text);
}

// What a field reads from an element: its value, or its name when it has none.
std::u16string TextOf(const Msaa& msaa, const Node& n) {
    std::u16string value = ValueOf(msaa, n);
    return value.empty() ? NameOf(msaa, n) : value;
}

int32_t RoleOf(const Msaa& msaa, const Node& n) {
    if (msaa.Stopped()) return 0;
    AnswerVariant role(msaa);
    if (n.acc.get()->get_accRole(ChildVariant(n.child), role.out()) != S_OK || role.get().vt != VT_I4) return 0;
    return role.get().lVal;
}

std::optional<RECT> LocationOf(const Msaa& msaa, const Node& n) {
    if (msaa.Stopped()) return std::nullopt;
    LONG left = 0, top = 0, width = 0, height = 0;
    if (n.acc.get()->accLocation(&left, &top, &width, &height, ChildVariant(n.child)) != S_OK) return std::nullopt;
    return RECT{left, top, left + width, top + height};
}

bool Invisible(const Msaa& msaa, const Node& n) {
    if (msaa.Stopped()) return false;
    AnswerVariant state(msaa);
    return n.acc.get()->get_accState(ChildVariant(n.child), state.out()) == S_OK && state.get().vt == VT_I4 &&
           (state.get().lVal & STATE_SYSTEM_INVISIBLE) != 0;
}

// The element behind an object handed out; the caller still releases the object.
AccRef AccessibleOf(const Msaa& msaa, IDispatch* dispatch) {
    AccRef acc;
    if (!dispatch || msaa.Stopped()) return acc;
    if (FAILED(dispatch->QueryInterface(__uuidof(IAccessible), reinterpret_cast<void**>(acc.out()))))
        *acc.out() = nullptr;
    return acc;
}

std::vector<Node> ChildrenOf(const Msaa& msaa, const Node& parent) {
    std::vector<Node> nodes;
    LONG count = 0;
    if (parent.child != CHILDID_SELF || msaa.Stopped() || parent.acc.get()->get_accChildCount(&count) != S_OK ||
        count <= 0 || msaa.Stopped()) {
        return nodes;
    }
    if (count > kMaxChildren) count = kMaxChildren;
    std::vector<VARIANT> children(static_cast<size_t>(count));  // all VT_EMPTY
    LONG obtained = 0;
    if (SUCCEEDED(msaa.children(parent.acc.get(), 0, count, children.data(), &obtained))) {
        obtained = std::clamp<LONG>(obtained, 0, count);
        for (LONG i = 0; i < obtained; ++i) {
            const VARIANT& v = children[static_cast<size_t>(i)];
            if (v.vt == VT_DISPATCH) {
                nodes.push_back({AccessibleOf(msaa, v.pdispVal), CHILDID_SELF});
            } else if (v.vt == VT_I4) {
                nodes.push_back({parent.acc, v.lVal});
            } else {
                nodes.push_back({});  // keeps the positions of the others
            }
        }
    }
    // Every entry is freed, whatever it holds and whatever the call returned.
    for (VARIANT& v : children) msaa.clearVariant(&v);
    return nodes;
}

std::optional<Node> RootOf(const Msaa& msaa, HWND host) {
    Node root;
    if (msaa.Stopped() ||
        msaa.fromWindow(host, static_cast<DWORD>(OBJID_CLIENT), __uuidof(IAccessible),
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

// Runs `work` on a worker in COM's multithreaded apartment, within the bound that a hung window
// costs for each of `queries` elements; the work must end by the deadline it is told, a little
// before. False when abandoned: the worker then makes no further call into the other program
// (it sees the caller has given up) and ends as soon as the call it is in returns, or never,
// holding only what it owns.
bool RunBounded(std::function<void(const Msaa&)> work, size_t queries = 1) {
    BoundedWorker worker;
    const ULONGLONG bound = GetTickCount64() + kForeignAnswerTimeoutMs * std::max<size_t>(queries, 1);
    const bool started = worker.Start(
        [work = std::move(work)](const WorkerStop& stop) {
            const Msaa msaa(stop);
            if (msaa.Loaded()) work(msaa);
        },
        bound, kAnswerMarginMs, true);
    return started && worker.Wait() == WaitEnd::Done;
}

// An element found at `path` in the host's tree, described; its name, read for the path, is the
// path's last one.
AccessibleElement Describe(const Msaa& msaa, HWND host, const Node& n, std::vector<AccessibleStep> path) {
    AccessibleElement e;
    e.host = host;
    e.screen = LocationOf(msaa, n).value_or(RECT{});
    e.name = path.back().name;
    e.value = ValueOf(msaa, n);
    e.path = std::move(path);
    return e;
}

// The elements a walk has found so far, shared with its caller, which takes them even when it
// stops waiting: a tree too large or too slow to walk in time still lists its first elements.
struct Collected {
    SRWLOCK lock = SRWLOCK_INIT;
    std::vector<AccessibleElement> elements;  // added to under the lock, never changed after
};

// One walk of the host's whole tree for the elements that hold text, within the walk's budget.
class TextWalk {
public:
    TextWalk(const Msaa& msaa, HWND host, Collected& out, size_t limit)
        : msaa_(msaa), host_(host), out_(out), limit_(limit) {}

    void Below(const Node& node, int depth) {
        if (depth >= kMaxTreeDepth) return;
        const std::vector<Node> children = ChildrenOf(msaa_, node);
        for (size_t i = 0; i < children.size() && out_.elements.size() < limit_; ++i) {
            if (elementsLeft_ == 0 || msaa_.Stopped()) return;
            --elementsLeft_;
            const Node& c = children[i];
            if (!c.acc.get()) continue;
            path_.push_back({RoleOf(msaa_, c), static_cast<int32_t>(i + 1), NameOf(msaa_, c)});
            AccessibleElement e = Describe(msaa_, host_, c, path_);
            // Described after the time ran out, it could lack its value.
            if (!e.Text().empty() && !msaa_.Stopped()) {
                AcquireSRWLockExclusive(&out_.lock);
                out_.elements.push_back(std::move(e));
                ReleaseSRWLockExclusive(&out_.lock);
            }
            Below(c, depth + 1);
            path_.pop_back();
        }
    }

private:
    const Msaa& msaa_;
    HWND host_;
    Collected& out_;
    size_t limit_;
    size_t elementsLeft_ = kMaxWalkedElements;
    std::vector<AccessibleStep> path_;
};

// Whether a child is the one a step names by its name. Above the field, the levels are rows and
// groups whose names are stable labels. The field itself is named by its name only when that is
// a label, beside a value: a field without a value shows its own text as its name, and the text
// it showed when it was designated may show elsewhere now (the previous patient's row).
bool NamedBy(const Msaa& msaa, const Node& c, const AccessibleStep& step, bool field) {
    return Cut(NameOf(msaa, c)) == step.name && (!field || !ValueOf(msaa, c).empty());
}

// A field stored without its name is known by its role and position alone.
bool ByPositionOnly(const AccessibleStep& step, bool field) { return field && step.name.empty(); }

// The child that a step names, or nullopt: by its role and name (the one nearest the index when
// several match), else the child at the index in the same role (a renamed field).
std::optional<Node> FollowStep(const Msaa& msaa, const std::vector<Node>& children, const AccessibleStep& step,
                               bool field) {
    std::optional<size_t> best;
    const auto distance = [&](size_t i) {
        const int64_t d = static_cast<int64_t>(i + 1) - step.index;
        return d < 0 ? -d : d;
    };
    for (size_t i = 0; i < children.size() && !ByPositionOnly(step, field); ++i) {
        const Node& c = children[i];
        if (!c.acc.get() || (best && distance(i) >= distance(*best))) continue;
        if (RoleOf(msaa, c) == step.role && NamedBy(msaa, c, step, field)) best = i;
    }
    if (best) return children[*best];
    // Renamed: the same place among its siblings, in the same role.
    if (step.index >= 1 && static_cast<size_t>(step.index) <= children.size()) {
        const Node& c = children[static_cast<size_t>(step.index) - 1];
        if (c.acc.get() && RoleOf(msaa, c) == step.role) return c;
    }
    return std::nullopt;
}

// The child with that id asked for directly: one call instead of a walk of all the children.
std::optional<Node> ChildById(const Msaa& msaa, const Node& parent, LONG id) {
    if (parent.child != CHILDID_SELF || msaa.Stopped()) return std::nullopt;
    ComRef<IDispatch> dispatch;
    const HRESULT hr = parent.acc.get()->get_accChild(ChildVariant(id), dispatch.out());
    if (hr == S_FALSE && !dispatch.get()) return Node{parent.acc, id};  // a simple element of the parent
    if (hr != S_OK || !dispatch.get()) return std::nullopt;
    AccRef acc = AccessibleOf(msaa, dispatch.get());
    if (!acc.get()) return std::nullopt;
    return Node{acc, CHILDID_SELF};
}

// The element below `node` at a screen point, each level asked in turn which of its children
// lies there: never an element of another window that covers the point. nullopt over `node`
// itself.
std::optional<Node> NodeAtPointBelow(const Msaa& msaa, std::optional<Node> node, POINT screen) {
    for (int depth = 0; node && node->child == CHILDID_SELF && depth < kMaxTreeDepth; ++depth) {
        if (msaa.Stopped()) return std::nullopt;
        AnswerVariant hit(msaa);
        if (node->acc.get()->accHitTest(screen.x, screen.y, hit.out()) != S_OK) return std::nullopt;
        const VARIANT& v = hit.get();
        if (v.vt == VT_I4 && v.lVal == CHILDID_SELF) return depth > 0 ? node : std::nullopt;
        if (v.vt == VT_I4) return Node{node->acc, v.lVal};
        if (v.vt != VT_DISPATCH) return std::nullopt;
        AccRef acc = AccessibleOf(msaa, v.pdispVal);
        if (!acc.get()) return std::nullopt;
        node = Node{acc, CHILDID_SELF};
    }
    return node;
}

// The host's tree as one read of several elements walks it: its root, each level above an
// element, and the children of a level whose siblings are walked are asked for once, whichever
// elements share them. Each call into the other program is a round trip through its window
// thread, and each object handed out one more to release.
class SharedTree {
public:
    SharedTree(const Msaa& msaa, HWND host) : msaa_(msaa), host_(host) {}

    // The element that `path` names (see ReadElementText).
    std::optional<Node> Follow(const std::vector<AccessibleStep>& path) {
        std::optional<Node> node = Root();
        std::vector<AccessibleStep> above;
        for (size_t level = 0; level < path.size() && node; ++level) {
            const AccessibleStep& step = path[level];
            if (level + 1 == path.size()) return Step(*node, above, step, true);
            std::vector<AccessibleStep> here = above;
            here.push_back(step);
            const auto known =
                std::find_if(levels_.begin(), levels_.end(), [&](const auto& entry) { return entry.first == here; });
            if (known != levels_.end()) {
                node = known->second;
            } else {
                node = Step(*node, above, step, false);
                levels_.emplace_back(here, node);
            }
            above = std::move(here);
        }
        return node;
    }

    // The element of the host's own tree at a screen point; nullopt over the client area itself.
    std::optional<Node> AtPoint(POINT screen) { return NodeAtPointBelow(msaa_, Root(), screen); }

private:
    const std::optional<Node>& Root() {
        if (!root_) root_ = RootOf(msaa_, host_);
        return *root_;
    }

    // The child of `parent` (reached by `above`) that a step names.
    std::optional<Node> Step(const Node& parent, const std::vector<AccessibleStep>& above, const AccessibleStep& step,
                             bool field) {
        // Most often the element is where it was: checked first, the siblings only when it is not
        // (or when the program answers only a walk of them).
        const auto direct = ChildById(msaa_, parent, step.index);
        if (direct && RoleOf(msaa_, *direct) == step.role &&
            (ByPositionOnly(step, field) || Cut(NameOf(msaa_, *direct)) == step.name)) {
            return direct;
        }
        return FollowStep(msaa_, Children(parent, above), step, field);
    }

    // All the children of `parent`, in one call where the program enumerates them.
    const std::vector<Node>& Children(const Node& parent, const std::vector<AccessibleStep>& above) {
        for (const auto& [path, children] : children_) {
            if (path == above) return children;
        }
        return children_.emplace_back(above, ChildrenOf(msaa_, parent)).second;
    }

    const Msaa& msaa_;
    HWND host_;
    std::optional<std::optional<Node>> root_;  // asked for on first use
    // By the steps that lead to them; a deque keeps what it handed out in place.
    std::vector<std::pair<std::vector<AccessibleStep>, std::optional<Node>>> levels_;
    std::deque<std::pair<std::vector<AccessibleStep>, std::vector<Node>>> children_;
};

// Texts found for several elements, shared with the caller, which takes those found by the
// time it stops waiting.
struct FoundTexts {
    SRWLOCK lock = SRWLOCK_INIT;
    std::vector<std::optional<std::u16string>> texts;  // set under the lock, never changed after

    explicit FoundTexts(size_t count) : texts(count) {}
    void Set(size_t i, std::u16string text) {
        SrwGuard g(lock);
        texts[i] = std::move(text);
    }
    std::vector<std::optional<std::u16string>> Taken() {
        SrwGuard g(lock);
        return texts;
    }
};

std::optional<Node> NodeAtPoint(const Msaa& msaa, POINT screen) {
    Node n;
    AnswerVariant child(msaa);
    if (msaa.Stopped() || msaa.fromPoint(screen, n.acc.out(), child.out()) != S_OK || !n.acc.get()) return std::nullopt;
    if (child.get().vt == VT_I4) n.child = child.get().lVal;
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
                const auto where = LocationOf(msaa, children[i]);
                if (where && PtInRect(&*where, screen) && !Invisible(msaa, children[i])) hit = i;
            }
            if (!hit) break;
            node = children[*hit];
            path.push_back({RoleOf(msaa, *node), static_cast<int32_t>(*hit + 1), NameOf(msaa, *node)});
        }
        if (path.empty()) return;  // the window itself: a control, not an element it draws
        AccessibleElement e = Describe(msaa, host, *node, std::move(path));
        if (!e.Text().empty() && !msaa.Stopped()) *found = std::move(e);
    });
    if (!answered) return std::nullopt;
    return *found;
}

std::vector<AccessibleElement> TextElementsOf(HWND host, size_t limit) {
    auto found = std::make_shared<Collected>();
    RunBounded([host, limit, found](const Msaa& msaa) {
        const std::optional<Node> root = RootOf(msaa, host);
        if (!root) return;
        TextWalk(msaa, host, *found, limit).Below(*root, 0);
    });
    AcquireSRWLockShared(&found->lock);
    std::vector<AccessibleElement> elements = found->elements;
    ReleaseSRWLockShared(&found->lock);
    return elements;
}

std::vector<std::optional<std::u16string>> ReadElementTexts(HWND host, const std::vector<ElementQuery>& queries) {
    auto found = std::make_shared<FoundTexts>(queries.size());
    RunBounded(
        [host, queries, found](const Msaa& msaa) {
            // A tree built late is asked for again until found, within one element's bound.
            const ULONGLONG retryUntil = GetTickCount64() + kForeignAnswerTimeoutMs - kAnswerMarginMs;
            std::vector<bool> sought(queries.size());
            for (size_t i = 0; i < queries.size(); ++i) sought[i] = !queries[i].path.empty();
            // Kept until the answer is handed over: its objects are released after it.
            std::optional<SharedTree> tree;
            for (bool missing = true; missing;) {
                if (tree) Sleep(kRetryPauseMs);
                tree.emplace(msaa, host);
                missing = false;
                for (size_t i = 0; i < queries.size() && !msaa.Stopped(); ++i) {
                    if (!sought[i]) continue;
                    const ElementQuery& q = queries[i];
                    std::optional<Node> node = tree->Follow(q.path);
                    if (!node && q.fallback) {
                        node = tree->AtPoint(*q.fallback);
                        if (node && RoleOf(msaa, *node) != q.path.back().role) node.reset();
                    }
                    if (!node) {
                        missing = true;
                        continue;
                    }
                    std::u16string text = TextOf(msaa, *node);
                    if (msaa.Stopped()) break;  // read after the time ran out, it could lack its value
                    found->Set(i, std::move(text));
                    sought[i] = false;
                }
                if (GetTickCount64() + kRetryPauseMs >= retryUntil || msaa.Stopped()) break;
            }
            msaa.stop.Answered();
        },
        queries.size());
    return found->Taken();
}

std::optional<std::u16string> ReadElementText(HWND host, const std::vector<AccessibleStep>& path,
                                              std::optional<POINT> fallback) {
    return ReadElementTexts(host, {{path, fallback}}).front();
}

std::vector<std::u16string> ReadElementTextsAtPoints(const std::vector<POINT>& points) {
    auto found = std::make_shared<FoundTexts>(points.size());
    RunBounded(
        [points, found](const Msaa& msaa) {
            std::vector<Node> held;  // released once the answer is handed over
            for (size_t i = 0; i < points.size() && !msaa.Stopped(); ++i) {
                const auto node = NodeAtPoint(msaa, points[i]);
                if (!node) continue;
                std::u16string text = TextOf(msaa, *node);
                held.push_back(*node);
                if (!msaa.Stopped()) found->Set(i, std::move(text));
            }
            msaa.stop.Answered();
        },
        points.size());
    std::vector<std::u16string> texts;
    for (auto& text : found->Taken()) texts.push_back(text.value_or(u""));
    return texts;
}

std::u16string ReadElementTextAtPoint(POINT screen) { return ReadElementTextsAtPoints({screen}).front(); }

}  // namespace vorbel
