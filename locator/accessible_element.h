// Fields that a program draws itself, without a child window each, as it publishes them to
// screen readers (Active Accessibility: IAccessible, asked for with WM_GETOBJECT). A program that
// never answers must not freeze Vorbel: every query runs on a worker (win/bounded_worker.h) in
// COM's multithreaded apartment, abandoned after the same bound as a message to a hung window for
// each element it reads. oleacc, ole32 and oleaut32 load on the first query.
#pragma once

#include <windows.h>

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "locator/locator_text.h"

namespace vorbel {

struct AccessibleElement {
    HWND host = nullptr;  // the window whose client tree holds it
    std::vector<AccessibleStep> path;
    RECT screen = {};  // its rectangle on the screen
    std::u16string name;
    std::u16string value;

    // What a field reads from it: its value, or its name when it has none.
    const std::u16string& Text() const { return value.empty() ? name : value; }
};

// The element drawn at a screen point of `host`, found down the host's tree by where each
// element lies: nullopt when the host publishes none there with a name or a value, or does not
// answer in time.
std::optional<AccessibleElement> ElementAtScreenPoint(HWND host, POINT screen);

// The elements of the host's tree that hold a name or a value, in tree order, at most `limit`:
// those reached within the bound of a hung program and the walk's budget of elements, so that a
// tree that loops or never ends lists its first ones; empty when the host does not answer in time.
std::vector<AccessibleElement> TextElementsOf(HWND host, size_t limit);

// The text of the element that `path` names in the host's tree: at each level the child of the
// step's role and name (the one nearest the step's index when several have both), else the child
// at the step's index when its role is the step's. When the path leads nowhere, the element at
// `fallback` (screen) of the last step's role, within the host. Asked again until found: a
// program may build its tree only once a client asks for it. nullopt when not found in time.
std::optional<std::u16string> ReadElementText(HWND host, const std::vector<AccessibleStep>& path,
                                              std::optional<POINT> fallback);

// An element to read from a host's tree: its path, and where to look when it leads nowhere.
struct ElementQuery {
    std::vector<AccessibleStep> path;
    std::optional<POINT> fallback;  // on the screen
};

// The texts of several elements of one host's tree, each as ReadElementText finds it, read on one
// worker: the host's root and the levels their paths share are asked for once. Bounded as many
// hung windows as there are elements; those found by then are read.
std::vector<std::optional<std::u16string>> ReadElementTexts(HWND host, const std::vector<ElementQuery>& queries);

// The text of whatever element lies at a screen point (AccessibleObjectFromPoint); empty when
// none answers in time.
std::u16string ReadElementTextAtPoint(POINT screen);
// The same for several points, on one worker.
std::vector<std::u16string> ReadElementTextsAtPoints(const std::vector<POINT>& points);

}  // namespace vorbel
