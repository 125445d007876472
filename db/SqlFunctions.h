#pragma once

struct sqlite3;

namespace velmora::db {

// The program's own SQL functions, registered on every connection:
//   jet_like(value, pattern)  the Like pattern language of db/LikePattern.h; numbers are matched as
//                             their plain decimal text and a Null value matches nothing;
//   money_text(cents)         a stored amount as the plain decimal text of its dollars ("12.5").
void registerSqlFunctions(sqlite3* db);

} // namespace velmora::db
