#pragma once
// The program's database on a PostgreSQL server: the seven tables and the search data (text compared
// and sorted by code point, as in the file), the ids the server assigns, the catalogue types and the
// Jet functions; moving a desk's file there; and the grants of an ordinary role.

#include "CreateDatabase.h"

#include <QString>
#include <QStringList>

namespace db {
class Connection;
}

namespace bkdata {

// The statements that make the schema in an empty server database (the catalogue types included).
QStringList serverSchemaStatements();

// Creates the schema (and the demo data on request) in one transaction on an open server
// connection. Refuses when the program's tables exist already.
bool createServerSchema(db::Connection &server, const CreateOptions &options, QString *error);

// Copies every row of the program's tables (the search data when the file has it) of the database
// file `filePath` to the server inside one transaction, compares the row counts and writes them into
// `report`. Creates the schema when it is missing; refuses a server database whose tables hold rows
// (catalogue types aside).
bool moveFileToServer(const QString &filePath, db::Connection &server, QString *report, QString *error);

// The group role of the desks: it holds the privileges on the program's tables and cannot log in.
QString deskGroupName();

// The statements that make the desks' group (read and write the program's tables of `database`, connect
// to it, nothing else) and one login role per name in `clerks`, a member of the group that cannot
// change it. No password is set: the administrator gives each role its own.
QStringList roleStatements(const QStringList &clerks, const QString &database);

} // namespace bkdata
