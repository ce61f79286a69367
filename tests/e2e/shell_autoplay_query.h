// The shell's side of CancelAutoPlay, as the platform contract and the
// stand-in shell both play it: the launcher's handler found in the running
// object table under its class moniker and asked whether AutoPlay may go
// ahead for a drive. COM must be initialised by the caller.
#pragma once

#include <objbase.h>
#include <shobjidl.h>
#include <windows.h>

#include "platform/autoplay_handler_id.h"

namespace tolvimer::testing {

struct ShellQuery {
  HRESULT result = E_FAIL;  // AllowAutoPlay's answer, or the step's failure
  const char* failure = nullptr;  // what stopped the query: null when asked
};

inline ShellQuery AskLaunchersAutoPlayHandler(wchar_t letter) {
  ShellQuery query;
  const CLSID clsid = AutoPlayHandlerClsid<CLSID>();
  IRunningObjectTable* table = nullptr;
  IMoniker* moniker = nullptr;
  IUnknown* object = nullptr;
  IQueryCancelAutoPlay* handler = nullptr;
  query.failure = "not in the running object table";
  query.result = GetRunningObjectTable(0, &table);
  if (SUCCEEDED(query.result)) query.result = CreateClassMoniker(clsid, &moniker);
  if (SUCCEEDED(query.result)) query.result = table->GetObject(moniker, &object);
  if (SUCCEEDED(query.result)) {
    query.failure = "no IQueryCancelAutoPlay";
    query.result =
        object->QueryInterface(IID_IQueryCancelAutoPlay, reinterpret_cast<void**>(&handler));
  }
  if (SUCCEEDED(query.result)) {
    const wchar_t root[] = {letter, L':', L'\\', L'\0'};
    query.failure = nullptr;
    query.result = handler->AllowAutoPlay(root, 0x40, L"GAME", 0x00C0FFEE);
    handler->Release();
  }
  if (object) object->Release();
  if (moniker) moniker->Release();
  if (table) table->Release();
  return query;
}

}  // namespace tolvimer::testing
