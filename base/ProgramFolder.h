#pragma once
// Where the program's files are. Every path the program reads or writes goes through here.
//
// The program folder holds what the user writes: "Data/" (the notes database and every
// settings file) and "source/DeskTopBG/" (the pictures list's pictures and the composed
// wallpaper). It is, in this order:
//   - the folder named by TAVI_HOME (tests and other installations use it);
//   - the executable's own folder when the user can write it (a built or portable copy);
//   - otherwise the user's own folder, "Tavi/" in the user's data folder
//     ($XDG_DATA_HOME, else ~/.local/share), made at the first start from the shipped
//     defaults. A system installation (<prefix>/bin with <prefix>/share/tavi/) always
//     takes this one, even for root: nothing a user writes goes below the prefix.
// The parts the program only reads (pages, translations, the defaults of a new user's
// folder) lie in the shipped folder: <prefix>/share/tavi/ for a system installation,
// else the executable's folder.
#include <QString>

// The program folder with a closing '/'.
QString ProgramDir();
// ProgramDir() + "Data/": the notes database and the settings files.
QString DataDir();
// ProgramDir() + "source/DeskTopBG/": the background pictures and the composed wallpaper.
QString PictureDir();
// The shipped folder with a closing '/'.
QString ShippedDir();
// The folder that holds the read-only part `sub` ("web", "translations"): the program
// folder when it has its own copy, else the shipped folder.
QString ReadOnlyDir(const QString &sub);

namespace programfolder {

enum class Kind {
    Named,    // TAVI_HOME
    Portable, // the executable's folder
    UsersOwn, // the user's own folder, filled from the shipped one
};

struct Place {
    Kind kind = Kind::Portable;
    QString dir;     // the program folder, closed by '/'
    QString shipped; // the shipped folder, closed by '/'
};

// The decision from its facts: TAVI_HOME's value (empty when unset), the executable's
// folder and the user's data folder. Looks at the file system, changes nothing.
Place Resolve(const QString &named, const QString &exeDir, const QString &userDataHome);

// The place this process uses (TAVI_HOME is read on every call; the rest once).
Place Current();

// Makes the user's own folder at the first start: its folders 0700, its files 0600,
// copies of the shipped "Data/" and "source/DeskTopBG/" files. The folder appears whole
// or not at all, so a start killed half-way leaves nothing half-filled behind. A folder
// that exists is left as it is, as are the other kinds of place. False with the reason
// when the folder cannot be made.
bool Prepare(const Place &place, QString *error = nullptr);

} // namespace programfolder
