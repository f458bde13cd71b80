#pragma once

#include "connections/core/Profile.h"

// Whether a profile's login works, asked of the database itself.
namespace IBMDB2 {
// True when a connection with the profile opens; every failure is False.
bool TryConnect(const Profile& p);
}  // namespace IBMDB2

namespace SybaseASE {
bool TryConnect(const Profile& p);
}  // namespace SybaseASE
