#pragma once

#include <QByteArray>
#include <QMetaType>
#include <QString>
#include <initializer_list>

// What a user, another program or an attacker may leave where the program expects one of its files.
namespace hostile {

enum class Kind { Fifo, Device, Huge, Unreadable, Folder };

// A "kind" column with one row per kind, for a test's _data function.
void addRows(std::initializer_list<Kind> kinds = {Kind::Fifo, Kind::Device, Kind::Huge, Kind::Unreadable,
                                                  Kind::Folder});

// Puts `kind` at `path`, making its folder; the huge and the unreadable file start with `content`.
bool place(const QString& path, Kind kind, const QByteArray& content = {});

// Root reads every file, so an unreadable one cannot be made for it.
bool cannotMake(Kind kind);

// The file's type, size and time and the names beside it, to compare before and after.
QString lookAt(const QString& path);

} // namespace hostile

Q_DECLARE_METATYPE(hostile::Kind)
