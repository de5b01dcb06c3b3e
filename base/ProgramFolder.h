#pragma once
// The program's folder and the two folders below it that hold everything it keeps.
#include <QString>

// The program's folder with a closing '/': the folder of the executable, or the
// folder named by TAVI_HOME (tests and other installations use it).
QString ProgramDir();
// ProgramDir() + "Data/": the notes database and the settings files.
QString DataDir();
// ProgramDir() + "source/DeskTopBG/": the background pictures and the composed wallpaper.
QString PictureDir();
