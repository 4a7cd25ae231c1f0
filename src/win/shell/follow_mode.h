// Following the shown file as it grows: the View menu's check item, polled every 500 ms.
#pragma once

namespace vemora {

// Turns following on for a document read from a file, or off.
void ToggleFollowing();
bool IsFollowing();
// The follower reads its file again, in one go.
bool FollowerReloads();
// Every load but the follower's own ends following.
void NoteDocumentReplaced();
// One poll, as the timer makes it: exposed so that a caller need not wait for the timer.
void PollFollowedDocument();

}  // namespace vemora
