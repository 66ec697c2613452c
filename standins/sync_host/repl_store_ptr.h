// Owning COM pointer to a provider's store.
#pragma once

#include "com_support.h"
#include "sync_provider/service_manager_contract.h"

_COM_SMARTPTR_TYPEDEF(IReplStore, __uuidof(IReplStore));
