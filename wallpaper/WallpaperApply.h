#pragma once
// One click on the main window's wallpaper button: the week panel as it shows, laid over
// the next background of the list, becomes the desktop wallpaper.
#include "uPicMix.h"

#include <QSize>
#include <QString>
#include <QStringList>

class QWidget;

enum class ApplyResult {
    Applied,      // the desktop took the new picture
    NotConfirmed, // the question was answered with no
    Failed,       // stopped silently; files already written stay written
    NotSet,       // the picture is composed, but the desktop has no way to take it or did not
};

// What the user is told when the desktop did not take the composed picture: that it cannot
// be set automatically, and where the picture is.
QString NotSetMessage();
// The message with a button that opens the picture's folder.
void ShowNotSetMessage(QWidget *parent);
// The captions of its buttons, the first the default.
QStringList NotSetButtons();

// The week panel's own rendering at its current size, in device pixels, into "Content.bmp"
// in the picture folder: 32 bits per pixel, fourth byte 0. The boxes' text is drawn without
// anti-aliasing there (the screen keeps it). False when the file cannot be written.
bool SaveNotesPicture(QWidget *weekPanel);

// The background for this apply: the list entry at PicIndex, or the following one (entry 1
// past the end) when that file is missing; PicIndex keeps the step. Empty when the list
// has no usable entry there.
QString ChooseBackground();

// The primary screen's size in device pixels; empty without a screen.
QSize DesktopPixelSize();

// The picture as the stretched style shows it on a desktop of `size` pixels.
TPicture StretchedTo(const TPicture &picture, QSize size);

// Brings the background to `desktop` pixels as the stretched style shows it (an empty size
// keeps it as it is), lays "Content.bmp" over it (the part of the notes that fits) and
// stores "Mix.bmp" (32 bits), then passes it once through JPEG ("Mix.Jpg", quality 90,
// baseline) and back into a 24-bit "Mix.bmp".
bool ComposeWallpaper(const QString &backgroundPath, QSize desktop = DesktopPixelSize());

// The path handed to the desktop: the composed picture.
QString WallpaperPath();

enum class ApplyMode {
    Click,   // the button, or a start that only sets the wallpaper
    Refresh, // the same background again with the notes as they are now; no question
};

// The whole apply (the handler of imgAppToDesk): asks first unless that was switched off
// (then repaints `mainWindow` and waits 100 ms), captures `weekPanel`, composes, sets the
// wallpaper and steps PicIndex back for the next click. A refresh lays the notes over the
// background of the last apply of this run and leaves PicIndex alone, so the background
// does not change each time a note does; with no apply before it, it is a click unasked.
ApplyResult ApplyWeekToDesktop(QWidget *mainWindow, QWidget *weekPanel, ApplyMode mode = ApplyMode::Click);
