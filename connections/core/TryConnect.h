#pragma once

#include "connections/core/Profile.h"

// Whether a profile's login works, asked of the database itself: true when a
// connection with the profile opens; every failure is false.
// clang-format off
namespace IBMDB2 { bool TryConnect(const Profile& p); }
namespace SybaseASE { bool TryConnect(const Profile& p); }
// clang-format on
