#pragma once
// Raised when a server asks for a password that neither the connection text nor the user's
// password file gives; the login then asks the clerk for it.

#include "db/DbError.h"

namespace db {

class PasswordNeeded : public DbError {
public:
    using DbError::DbError;
};

} // namespace db
