#pragma once

struct CommandLine;

// Makes sure a first start finds a dream table. When the database directory is the default
// one (neither --database-dir nor NOCTAMBU_DIR named it) and holds no table, it is made and
// filled with the sample dictionary that travels inside the program, all or nothing. A
// directory named explicitly is left as it is: a typo must never start a new, empty
// dictionary, so opening it reports the missing table as before. Throws EngineError with the
// reason when the sample cannot be installed.
void prepareDatabaseDir(const CommandLine &line);
