// The launcher's IQueryCancelAutoPlay object in the running object table
// ([General] CancelAutoPlay). ole32 is loaded at run time, so that a run
// without the key loads no COM library. Win32 only.
#pragma once

#include <cstdint>

#include "platform/platform.h"

namespace tolvimer {

// Starts the thread that initialises COM (apartment-threaded, with its own
// message loop) and registers the object under the class moniker of the
// launcher's CLSID; it answers for `watchedRoot` ("E:\", or empty for every
// drive). Gives the failing call's HRESULT, with everything undone and the
// thread ended, or kHandlerThreadLives while an earlier thread still runs.
HResult RegisterAutoPlayHandler(const char* watchedRoot, std::uint32_t& cookie);
// Has the thread revoke it and uninitialise COM, and waits for it to end,
// bounded; kHandlerThreadLives when it has not ended.
HResult RevokeAutoPlayHandler(std::uint32_t cookie);
// The queries answered since the last take, as the handler's thread kept
// them; a pending cancel is taken with them.
AutoPlayAnswers TakeAutoPlayAnswers();
// Whether a query the handler cancelled has not been taken yet, and the
// letter of its drive (0 when its path named none).
bool AutoPlayAnswerPending(char& letter);

}  // namespace tolvimer
