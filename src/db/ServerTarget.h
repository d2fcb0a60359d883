#pragma once
// Where a desk connects is what its settings file says, and nothing else: the server engine takes host,
// database and user from the connection text only, never from the client library's environment
// variables (PGHOST, PGHOSTADDR, PGUSER, PGSERVICE, ...) or its built-in defaults (the local socket, the
// login name of the operating system).

namespace db {

struct ConnectionTextParts;

// Throws DbError, before anything is sent anywhere, when `parts` does not name a host, a database and a
// user; removes from this process's environment every variable through which the client library
// would choose or change the server, the database, the user or the way of connecting (the password
// file and PGPASSWORD stay: they only answer the server's question for a password).
void checkServerTarget(const ConnectionTextParts &parts);

} // namespace db
