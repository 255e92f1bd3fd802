#pragma once

#include <QString>
#include <QStringList>

namespace admin {

// The folder of the store's table files below the program folder.
QString databaseFolder(const QString& programFolder);

// The tables of the store, in lower case as their files are named.
const QStringList& storeTableNames();
// The three files every table of the store is kept in, by extension as the server writes it.
const QStringList& tableFileExtensions();

// The name under which a bare file name is a table file of this store ("B2.myd" ->
// "b2.MYD"), compared without regard to case; empty for any other name.
QString tableFileName(const QString& bareName);

// A name without any folder part: not empty, no '/' or '\', not "." or "..", no NUL.
bool isPlainFileName(const QString& name);

// The tables among the given table file names whose three files are not all there.
QStringList incompleteTables(const QStringList& tableFileNames);

} // namespace admin
