// A stand-in for a practice program that draws its fields itself, with no child window per field,
// and publishes them to screen readers (IAccessible through WM_GETOBJECT), as programs built on
// Qt, Java, WPF or a browser engine do. For the tests, the demo and the bench. Options:
//   --mode=flat       three text elements under the window's client object (default)
//   --mode=nested     window > pane > group > label and text per field, after a heading
//   --mode=lazy       flat, but the first request finds an empty tree; the fields appear 300 ms later
//   --mode=hung       never returns from WM_GETOBJECT
//   --mode=rows       static texts that show their text as their name, no value: the patient's
//                     row ("Patient") above the previous patient's ("Patient précédent")
//   --mode=loop       nested, then a pane that lists itself as its children, without end
//   --mode=hostile    flat, but answers as a careless or hostile program may: texts with S_FALSE
//                     or a failure, a role and states given as texts, a child given as a text,
//                     an object handed out with S_FALSE
//   --chart=TEXT --last=TEXT --first=TEXT   the values shown
//   --previous=CHART,LAST,FIRST   with --mode=rows, the previous patient (default: an empty row)
//   --delay=MS        each call into an element answers after MS milliseconds
//   --rename          the last-name field is named "Nom de famille" instead of "Nom"
//   --pos=X,Y --size=W,H   top-left corner on the screen and client size; the fields scale with it
#include <windows.h>
#include <oleacc.h>
#include <shellapi.h>

#include <cstdio>
#include <cwchar>
#include <memory>
#include <string>
#include <vector>

#include "tools/drawn_standin_ids.h"

namespace {

using namespace vorbel::drawn;

enum class Mode { Flat, Nested, Lazy, Hung, Rows, Loop, Hostile };

struct Options {
    Mode mode = Mode::Flat;
    std::wstring chart = L"4321";
    std::wstring last = L"MARTIN";
    std::wstring first = L"Zoé";
    std::wstring previous[3];
    bool rename = false;
    DWORD delayMs = 0;
    POINT pos = {60, 60};
    SIZE size = {kDesignWidth, kDesignHeight};
};

Options g_options;
HWND g_window = nullptr;
ULONGLONG g_firstRequest = 0;
constexpr ULONGLONG kLazyDelayMs = 300;
constexpr int kPreviousFirstRow = 3;  // --mode=rows: the previous patient's rows, below the current one's
constexpr int kLoopBranches = 2;
LRESULT g_calls = 0;       // calls received into the elements (not counting IUnknown's)
LRESULT g_references = 0;  // references held on the elements through COM
LRESULT g_requests = 0;    // requests from other processes: WM_GETOBJECT and every COM call, IUnknown's included
HWND g_comWindow = nullptr;

// COM hands each call from another process to this apartment's thread as a message to its own
// window: counted there, it takes in the queries and releases that the elements never see as
// calls of their own.
bool IsComCall(const MSG& msg) {
    if (!msg.hwnd || msg.hwnd == g_window) return false;
    if (msg.hwnd == g_comWindow) return true;
    wchar_t cls[32] = {};
    GetClassNameW(msg.hwnd, cls, 32);
    if (std::wcscmp(cls, L"OleMainThreadWndClass") != 0) return false;
    g_comWindow = msg.hwnd;
    return true;
}

// Each call into an element is counted, and answered late when asked to.
void Called() {
    ++g_calls;
    if (g_options.delayMs) Sleep(g_options.delayMs);
}

bool Hostile() { return g_options.mode == Mode::Hostile; }

// A text no answer should carry with it: long enough that the string allocator hands it out and
// takes it back whole, so that the tests see whether it was freed.
BSTR HostileText() {
    std::wstring text = vorbel::drawn::kHostileText;
    text.resize(40000, L'x');
    return SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
}

class Element;

// The children of a hostile element, as IEnumVARIANT gives them: each element, then a text.
class ChildList : public IEnumVARIANT {
public:
    explicit ChildList(Element* owner) : owner_(owner) {}

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        if (!out) return E_POINTER;
        if (iid == __uuidof(IUnknown) || iid == __uuidof(IEnumVARIANT)) {
            *out = static_cast<IEnumVARIANT*>(this);
            AddRef();
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(++g_references); }
    ULONG STDMETHODCALLTYPE Release() override { return static_cast<ULONG>(--g_references); }
    HRESULT STDMETHODCALLTYPE Next(ULONG count, VARIANT* out, ULONG* fetched) override;
    HRESULT STDMETHODCALLTYPE Skip(ULONG count) override {
        Called();
        next_ += count;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Reset() override {
        Called();
        next_ = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Clone(IEnumVARIANT** out) override {
        Called();
        *out = nullptr;
        return E_NOTIMPL;
    }

private:
    Element* owner_;
    size_t next_ = 0;
};

// One element of the tree: a COM object for its whole life, which is the process's.
class Element : public IAccessible {
public:
    Element(Element* parent, LONG role, std::wstring name, std::wstring value, RECT design)
        : parent_(parent), role_(role), name_(std::move(name)), value_(std::move(value)), design_(design) {}
    Element(const Element&) = delete;
    Element& operator=(const Element&) = delete;

    Element* Add(LONG role, std::wstring name, std::wstring value, RECT design) {
        children_.push_back(std::make_unique<Element>(this, role, std::move(name), std::move(value), design));
        return children_.back().get();
    }
    const std::wstring& value() const { return value_; }
    const std::wstring& name() const { return name_; }
    LONG role() const { return role_; }
    RECT design() const { return design_; }
    const std::vector<std::unique_ptr<Element>>& children() const { return children_; }
    // The element lists itself as each of its children.
    void Loop() { loops_ = true; }

    // IUnknown: references are counted for the tests; nothing is freed before the process ends.
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        if (!out) return E_POINTER;
        if (iid == __uuidof(IUnknown) || iid == __uuidof(IDispatch) || iid == __uuidof(IAccessible)) {
            *out = static_cast<IAccessible*>(this);
            AddRef();
            return S_OK;
        }
        if (iid == __uuidof(IEnumVARIANT) && Hostile() && !children_.empty()) return list_.QueryInterface(iid, out);
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(++g_references); }
    ULONG STDMETHODCALLTYPE Release() override { return static_cast<ULONG>(--g_references); }

    // IDispatch: not offered.
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
        Called();
        *count = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override {
        Called();
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override {
        Called();
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override {
        Called();
        return E_NOTIMPL;
    }

    HRESULT STDMETHODCALLTYPE get_accParent(IDispatch** parent) override {
        Called();
        *parent = parent_;
        if (parent_) parent_->AddRef();
        return parent_ ? S_OK : S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE get_accChildCount(LONG* count) override {
        Called();
        // A hostile container counts the text it gives as a child too.
        *count = static_cast<LONG>(Visible().size()) + (Hostile() && !children_.empty() ? 1 : 0);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_accChild(VARIANT child, IDispatch** out) override {
        Called();
        *out = nullptr;
        const auto visible = Visible();
        if (child.vt != VT_I4 || child.lVal < 1 || static_cast<size_t>(child.lVal) > visible.size()) {
            return E_INVALIDARG;
        }
        *out = visible[static_cast<size_t>(child.lVal) - 1];
        (*out)->AddRef();
        // Says "a simple element, no object" and hands one out all the same.
        return Hostile() ? S_FALSE : S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_accName(VARIANT child, BSTR* out) override {
        Called();
        // No name: S_FALSE, with a text all the same.
        if (Hostile() && Self(child) && name_.empty()) {
            *out = HostileText();
            return S_FALSE;
        }
        return Text(child, name_, out);
    }
    HRESULT STDMETHODCALLTYPE get_accValue(VARIANT child, BSTR* out) override {
        Called();
        // No value: a failure, with a text all the same.
        if (Hostile() && Self(child) && value_.empty()) {
            *out = HostileText();
            return DISP_E_MEMBERNOTFOUND;
        }
        return Text(child, value_, out);
    }
    HRESULT STDMETHODCALLTYPE get_accDescription(VARIANT, BSTR* out) override {
        Called();
        *out = nullptr;
        return S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE get_accRole(VARIANT child, VARIANT* out) override {
        Called();
        if (!Self(child)) return E_INVALIDARG;
        // A role of its own, given as a text, as MSAA allows.
        if (Hostile() && role_ == ROLE_SYSTEM_STATICTEXT) {
            out->vt = VT_BSTR;
            out->bstrVal = HostileText();
            return S_OK;
        }
        out->vt = VT_I4;
        out->lVal = role_;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_accState(VARIANT child, VARIANT* out) override {
        Called();
        if (!Self(child)) return E_INVALIDARG;
        if (Hostile()) {
            out->vt = VT_BSTR;
            out->bstrVal = HostileText();
            return S_OK;
        }
        out->vt = VT_I4;
        out->lVal = role_ == ROLE_SYSTEM_TEXT ? STATE_SYSTEM_READONLY : 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_accHelp(VARIANT, BSTR* out) override {
        Called();
        *out = nullptr;
        return S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE get_accHelpTopic(BSTR* file, VARIANT, LONG* topic) override {
        Called();
        *file = nullptr;
        *topic = 0;
        return S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE get_accKeyboardShortcut(VARIANT, BSTR* out) override {
        Called();
        *out = nullptr;
        return S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE get_accFocus(VARIANT* out) override {
        Called();
        out->vt = VT_EMPTY;
        return S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE get_accSelection(VARIANT* out) override {
        Called();
        out->vt = VT_EMPTY;
        return S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE get_accDefaultAction(VARIANT, BSTR* out) override {
        Called();
        *out = nullptr;
        return S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE accSelect(LONG, VARIANT) override {
        Called();
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE accLocation(LONG* left, LONG* top, LONG* width, LONG* height, VARIANT child) override {
        Called();
        if (!Self(child)) return E_INVALIDARG;
        const RECT r = ScreenRect();
        *left = r.left;
        *top = r.top;
        *width = r.right - r.left;
        *height = r.bottom - r.top;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE accNavigate(LONG, VARIANT, VARIANT* out) override {
        Called();
        out->vt = VT_EMPTY;
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE accHitTest(LONG x, LONG y, VARIANT* out) override {
        Called();
        const POINT p = {x, y};
        Element* hit = nullptr;
        for (Element* c : Visible()) {
            const RECT r = c->ScreenRect();
            if (PtInRect(&r, p)) hit = c;
        }
        if (hit) {
            out->vt = VT_DISPATCH;
            out->pdispVal = hit;
            hit->AddRef();
            return S_OK;
        }
        const RECT own = ScreenRect();
        if (!PtInRect(&own, p)) {
            // Outside: S_FALSE, with a text all the same.
            if (Hostile()) {
                out->vt = VT_BSTR;
                out->bstrVal = HostileText();
                return S_FALSE;
            }
            out->vt = VT_EMPTY;
            return S_FALSE;
        }
        out->vt = VT_I4;
        out->lVal = CHILDID_SELF;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE accDoDefaultAction(VARIANT) override {
        Called();
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE put_accName(VARIANT, BSTR) override {
        Called();
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE put_accValue(VARIANT, BSTR) override {
        Called();
        return E_NOTIMPL;
    }

    // The design rectangle scaled to the window's client area, on the screen.
    RECT ScreenRect() const {
        RECT client;
        GetClientRect(g_window, &client);
        RECT r = {MulDiv(design_.left, client.right, kDesignWidth), MulDiv(design_.top, client.bottom, kDesignHeight),
                  MulDiv(design_.right, client.right, kDesignWidth),
                  MulDiv(design_.bottom, client.bottom, kDesignHeight)};
        MapWindowPoints(g_window, HWND_DESKTOP, reinterpret_cast<POINT*>(&r), 2);
        return r;
    }

private:
    static bool Self(const VARIANT& child) { return child.vt == VT_I4 && child.lVal == CHILDID_SELF; }

    HRESULT Text(const VARIANT& child, const std::wstring& text, BSTR* out) {
        *out = nullptr;
        if (!Self(child)) return E_INVALIDARG;
        if (text.empty()) return S_FALSE;
        *out = SysAllocString(text.c_str());
        return *out ? S_OK : E_OUTOFMEMORY;
    }

    // A lazy tree shows nothing until a while after it was first asked for.
    std::vector<Element*> Visible() {
        std::vector<Element*> visible;
        if (g_options.mode == Mode::Lazy && (g_firstRequest == 0 || GetTickCount64() - g_firstRequest < kLazyDelayMs)) {
            return visible;
        }
        if (loops_) return std::vector<Element*>(kLoopBranches, this);
        for (const auto& c : children_) visible.push_back(c.get());
        return visible;
    }

    Element* parent_;
    LONG role_;
    std::wstring name_;
    std::wstring value_;
    RECT design_;
    std::vector<std::unique_ptr<Element>> children_;
    bool loops_ = false;
    ChildList list_{this};
};

HRESULT ChildList::Next(ULONG count, VARIANT* out, ULONG* fetched) {
    Called();
    const auto& children = owner_->children();
    ULONG given = 0;
    for (; given < count && next_ <= children.size(); ++given, ++next_) {
        VARIANT& v = out[given];
        if (next_ < children.size()) {
            v.vt = VT_DISPATCH;
            v.pdispVal = children[next_].get();
            v.pdispVal->AddRef();
        } else {
            v.vt = VT_BSTR;  // a child given as a text
            v.bstrVal = HostileText();
        }
    }
    if (fetched) *fetched = given;
    return given == count ? S_OK : S_FALSE;
}

std::unique_ptr<Element> g_root;

struct Field {
    const wchar_t* label;
    const std::wstring* value;
    int row;
};

RECT RowRect(int x, int right, int row) {
    const int y = kFirstRowY + row * kRowStep;
    return {x, y, right, y + kFieldHeight};
}

// Two patients' rows of static texts, as a web page or WPF text blocks show them: each field's
// text is its name, it has no value.
void BuildRows(Element* sheet) {
    const std::wstring current[] = {g_options.chart, g_options.last, g_options.first};
    const struct {
        const wchar_t* label;
        const std::wstring* values;
        int firstRow;
    } rows[] = {{L"Patient", current, 0}, {L"Patient précédent", g_options.previous, kPreviousFirstRow}};
    for (const auto& r : rows) {
        sheet->Add(ROLE_SYSTEM_STATICTEXT, r.label, L"", RowRect(kLabelX, kFieldX - 8, r.firstRow));
        for (int i = 0; i < 3; ++i) {
            sheet->Add(ROLE_SYSTEM_STATICTEXT, r.values[i], L"",
                       RowRect(kFieldX, kFieldX + kFieldWidth, r.firstRow + i));
        }
    }
}

void BuildTree(const std::wstring& title) {
    g_root =
        std::make_unique<Element>(nullptr, ROLE_SYSTEM_CLIENT, title, L"", RECT{0, 0, kDesignWidth, kDesignHeight});
    const Field fields[] = {{L"N° de dossier", &g_options.chart, 0},
                            {g_options.rename ? L"Nom de famille" : L"Nom", &g_options.last, 1},
                            {L"Prénom", &g_options.first, 2}};
    if (g_options.mode == Mode::Rows) {
        g_root->Add(ROLE_SYSTEM_STATICTEXT, L"Cabinet dentaire des Lilas", L"", {12, 8, 400, 30});
        BuildRows(g_root->Add(ROLE_SYSTEM_GROUPING, L"Fiche patient", L"", {0, 40, kDesignWidth, kDesignHeight}));
        return;
    }
    if (g_options.mode == Mode::Nested || g_options.mode == Mode::Loop) {
        g_root->Add(ROLE_SYSTEM_STATICTEXT, L"Cabinet dentaire des Lilas", L"", {12, 8, 400, 30});
        Element* pane = g_root->Add(ROLE_SYSTEM_PANE, L"", L"", {0, 40, kDesignWidth, kDesignHeight});
        Element* group = pane->Add(ROLE_SYSTEM_GROUPING, L"Identité du patient", L"", {12, 48, 420, 260});
        for (const Field& f : fields) {
            const int y = kFirstRowY + f.row * kRowStep;
            group->Add(ROLE_SYSTEM_STATICTEXT, f.label, L"", {kLabelX, y, kFieldX - 8, y + kFieldHeight});
            group->Add(ROLE_SYSTEM_TEXT, f.label, *f.value, {kFieldX, y, kFieldX + kFieldWidth, y + kFieldHeight});
        }
        // Below the fields, out of their way: a walk reaches it after them.
        if (g_options.mode == Mode::Loop) g_root->Add(ROLE_SYSTEM_PANE, L"", L"", {0, 400, 40, 440})->Loop();
        return;
    }
    // A decoration without a name or value, before the fields.
    if (Hostile()) g_root->Add(ROLE_SYSTEM_STATICTEXT, L"", L"", {12, 8, 400, 30});
    for (const Field& f : fields) {
        const int y = kFirstRowY + f.row * kRowStep;
        g_root->Add(ROLE_SYSTEM_TEXT, f.label, *f.value, {kFieldX, y, kFieldX + kFieldWidth, y + kFieldHeight});
    }
}

void Paint(HWND hwnd) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd, &ps);
    SelectObject(dc, GetStockObject(DEFAULT_GUI_FONT));
    SetBkMode(dc, TRANSPARENT);
    // Each text element drawn as a field: its label to the left, its value in a box.
    const auto draw = [&](const Element& e, const auto& self) -> void {
        for (const auto& c : e.children()) self(*c, self);
        if (g_options.mode == Mode::Rows && e.role() == ROLE_SYSTEM_STATICTEXT) {
            RECT box = e.ScreenRect();
            MapWindowPoints(HWND_DESKTOP, hwnd, reinterpret_cast<POINT*>(&box), 2);
            DrawTextW(dc, e.name().c_str(), -1, &box, DT_LEFT | DT_VCENTER | DT_SINGLELINE);
            return;
        }
        if (e.role() != ROLE_SYSTEM_TEXT) return;
        RECT box = e.ScreenRect();
        MapWindowPoints(HWND_DESKTOP, hwnd, reinterpret_cast<POINT*>(&box), 2);
        RECT label = {box.left - (kFieldX - kLabelX), box.top, box.left - 8, box.bottom};
        DrawTextW(dc, e.name().c_str(), -1, &label, DT_LEFT | DT_VCENTER | DT_SINGLELINE);
        FillRect(dc, &box, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
        FrameRect(dc, &box, static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH)));
        InflateRect(&box, -4, 0);
        DrawTextW(dc, e.value().c_str(), -1, &box, DT_LEFT | DT_VCENTER | DT_SINGLELINE);
    };
    draw(*g_root, draw);
    EndPaint(hwnd, &ps);
}

[[noreturn]] void HangForever() {
    for (;;) Sleep(INFINITE);
}

LRESULT CALLBACK WindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
        case WM_GETOBJECT:
            if (static_cast<LONG>(lp) != OBJID_CLIENT) break;
            ++g_requests;
            if (g_options.mode == Mode::Hung) HangForever();
            if (g_firstRequest == 0) g_firstRequest = GetTickCount64();
            return LresultFromObject(__uuidof(IAccessible), wp, static_cast<IAccessible*>(g_root.get()));
        case kCallsReceived: return g_calls;
        case kReferencesHeld: return g_references;
        case kRequestsReceived: return g_requests;
        case WM_PAINT: Paint(hwnd); return 0;
        case WM_SIZE: InvalidateRect(hwnd, nullptr, TRUE); return 0;
        case WM_DESTROY: PostQuitMessage(0); return 0;
        default: break;
    }
    return DefWindowProcW(hwnd, msg, wp, lp);
}

bool ParsePair(const std::wstring& v, LONG& a, LONG& b) { return std::swscanf(v.c_str(), L"%ld,%ld", &a, &b) == 2; }

// "CHART,LAST,FIRST"
bool SplitPrevious(const std::wstring& v) {
    const size_t a = v.find(L',');
    const size_t b = a == std::wstring::npos ? a : v.find(L',', a + 1);
    if (b == std::wstring::npos) return false;
    g_options.previous[0] = v.substr(0, a);
    g_options.previous[1] = v.substr(a + 1, b - a - 1);
    g_options.previous[2] = v.substr(b + 1);
    return true;
}

bool ParseOptions() {
    int argc = 0;
    wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    if (!argv) return false;
    bool ok = true;
    for (int i = 1; i < argc && ok; ++i) {
        const std::wstring arg = argv[i];
        const size_t eq = arg.find(L'=');
        const std::wstring name = arg.substr(0, eq);
        const std::wstring value = eq == std::wstring::npos ? L"" : arg.substr(eq + 1);
        if (name == L"--mode") {
            if (value == L"flat") g_options.mode = Mode::Flat;
            else if (value == L"nested") g_options.mode = Mode::Nested;
            else if (value == L"lazy") g_options.mode = Mode::Lazy;
            else if (value == L"hung") g_options.mode = Mode::Hung;
            else if (value == L"rows") g_options.mode = Mode::Rows;
            else if (value == L"loop") g_options.mode = Mode::Loop;
            else if (value == L"hostile") g_options.mode = Mode::Hostile;
            else ok = false;
        } else if (name == L"--chart") g_options.chart = value;
        else if (name == L"--last") g_options.last = value;
        else if (name == L"--first") g_options.first = value;
        else if (name == L"--previous") ok = SplitPrevious(value);
        else if (name == L"--delay") g_options.delayMs = static_cast<DWORD>(std::wcstoul(value.c_str(), nullptr, 10));
        else if (name == L"--rename") g_options.rename = true;
        else if (name == L"--pos") ok = ParsePair(value, g_options.pos.x, g_options.pos.y);
        else if (name == L"--size") ok = ParsePair(value, g_options.size.cx, g_options.size.cy);
        else ok = false;
    }
    LocalFree(argv);
    return ok;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    if (!ParseOptions()) return 2;
    const std::wstring title = L"Dossier patient — " + g_options.last + L" " + g_options.first;
    BuildTree(title);

    WNDCLASSW wc = {};
    wc.lpfnWndProc = WindowProc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = kDrawnClass;
    if (!RegisterClassW(&wc)) return 3;

    const DWORD style = WS_OVERLAPPEDWINDOW;
    RECT frame = {0, 0, g_options.size.cx, g_options.size.cy};
    AdjustWindowRectEx(&frame, style, FALSE, 0);
    g_window = CreateWindowExW(0, kDrawnClass, title.c_str(), style, g_options.pos.x, g_options.pos.y,
                               frame.right - frame.left, frame.bottom - frame.top, nullptr, nullptr, instance, nullptr);
    if (!g_window) return 4;
    ShowWindow(g_window, SW_SHOWNORMAL);
    UpdateWindow(g_window);

    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        if (IsComCall(msg)) ++g_requests;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return 0;
}
