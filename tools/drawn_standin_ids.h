// What the stand-in that draws its fields shows, shared with the tests that read it.
#pragma once

namespace vorbel::drawn {

inline constexpr wchar_t kDrawnClass[] = L"PmsDrawnForm";

// Client size the fields are placed for; other sizes scale them with the window.
inline constexpr int kDesignWidth = 640;
inline constexpr int kDesignHeight = 440;

// Field rows: the chart number, the last name, the first name, from the top.
inline constexpr int kLabelX = 24;
inline constexpr int kFieldX = 160;
inline constexpr int kFieldWidth = 240;
inline constexpr int kFieldHeight = 24;
inline constexpr int kFirstRowY = 80;
inline constexpr int kRowStep = 48;

// The centre of field row `row` (0, 1, 2) in design coordinates.
inline constexpr int FieldCentreX() { return kFieldX + kFieldWidth / 2; }
inline constexpr int FieldCentreY(int row) { return kFirstRowY + row * kRowStep + kFieldHeight / 2; }

// Messages a test sends the stand-in (WM_APP + n), answered with what it counted.
inline constexpr unsigned kCallsReceived = 0x8000 + 1;   // calls into its elements so far
inline constexpr unsigned kReferencesHeld = 0x8000 + 2;  // references held on its elements now, through COM
// Requests from other processes so far: WM_GETOBJECT and every COM call, queries and releases
// included. Each is a round trip through its window thread.
inline constexpr unsigned kRequestsReceived = 0x8000 + 3;

// With --mode=hostile, every text an answer should not carry begins with this.
inline constexpr wchar_t kHostileText[] = L"Réponse hostile";

}  // namespace vorbel::drawn
