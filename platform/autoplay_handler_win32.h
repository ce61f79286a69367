// The launcher's IQueryCancelAutoPlay object in the running object table
// ([General] CancelAutoPlay). ole32 is loaded at run time, so that a run
// without the key loads no COM library. Win32 only.
#pragma once

#include <cstdint>

#include "platform/platform.h"

namespace tolvimer {

// Initialises COM on the thread and registers the object under the class
// moniker of the launcher's CLSID; gives the failing call's HRESULT, with
// everything undone.
HResult RegisterAutoPlayHandler(std::uint32_t& cookie);
// Revokes it, uninitialises COM and lets ole32 go.
HResult RevokeAutoPlayHandler(std::uint32_t cookie);

}  // namespace tolvimer
