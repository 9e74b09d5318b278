#pragma once

#include <QByteArray>

namespace varo::orderserver {

class Database;

struct SeedOptions {
    int items = 20000;
    int customers = 50;
    int orders = 300;
};

// Fills an empty, migrated database with the same demo data every time
// (a fixed pseudo-random sequence). Throws DbError.
void seedDatabase(Database &db, const SeedOptions &options = {});

// Removes every row (schema kept), for a seed that replaces the data.
void clearDatabase(Database &db);

// Generated artwork: a JPEG of an item and of an announcement, made from a
// number so the same item always shows the same picture.
QByteArray itemPictureJpeg(int stokno, int size = 320);

}  // namespace varo::orderserver
