#include "repl_objects.h"

namespace pelloquin {

std::atomic<long> CReplObject::s_live{0};

CReplObject::CReplObject(std::uint32_t type) : m_uType(type) { ++s_live; }

CReplObject::~CReplObject() { --s_live; }

}  // namespace pelloquin
