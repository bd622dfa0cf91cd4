#pragma once
#include <QString>

// The shop password: the one credential of the program, kept in Misc.password.
//
// It is stored as a salted Argon2id hash (libsodium, interactive limits) and checked in
// constant time. A stored value that is not a hash (a salon book from before hashing) is
// compared as plain text and replaced by its hash on the first successful check. An empty
// stored value accepts only an empty entry.
//
// Screens that guard a door with the password (the daily ticket's Data Entry, the employee
// form's Change Password) ask the shell's login dialog through their Doors (doors.h).
namespace shoppassword {

// A new Argon2id hash string of `password`. Throws StoreError when hashing fails (no memory).
QString hash(const QString &password);
// True when `stored` is a password hash rather than legacy plain text.
bool isHash(const QString &stored);
// Compares an entry with a stored value (a hash or legacy plain text), case and blanks
// counting, in constant time.
bool matches(const QString &entered, const QString &stored);

// Checks an entry against Misc.password of the first Misc row of the open salon book;
// on success a legacy plain-text value is replaced by its hash. Throws StoreError when
// the row cannot be read or written.
bool check(const QString &entered);
// Stores a new shop password (as its hash) in the first Misc row. Throws StoreError.
void change(const QString &newPassword);

} // namespace shoppassword
