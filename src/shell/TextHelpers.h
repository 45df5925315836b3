#pragma once
// Small text, file and system helpers shared by windows of every subsystem.
// None keeps state; none has a size limit of its own.
#include <QIODevice>
#include <QString>

// The reason text of a shell start result (see shell::StartProgram); every
// text begins with the line "Reason:", success (above 32) gives "".
QString GetShellExecuteErrorText(int code);

// The text after the last '/' of an address; "" when there is none or when
// more than 255 characters follow it.
QString ExtractURLFileName(const QString& address);

// The four numbers of the version of this program's build joined by points
// when path is the running program; "N/A" for any other file.
QString GetFileVersionText(const QString& path);

// The file's name and its modification date and time in the user's short
// date and long time form; "N/A" when the file cannot be read.
QString GetFileStampText(const QString& path);

// source with every from replaced by to.
QString ReplaceChar(const QString& source, QChar from, QChar to);

// Reads lines of file (from its start unless noRewind) until one equals line
// ("[Satellites]\n": the newline is part of it; CR LF and LF files alike).
// The file is left after the matching line.
bool FindLineInFile(const QString& line, QIODevice* file, bool noRewind);

// The characters from the second one on, up to the first ']' or the end;
// true when that name is not empty ("[NOAA]" gives "NOAA").
bool GetBracketedName(const QString& source, QString& name);

// True for an empty text or one of white space only.
bool IsBlank(const QString& text);
bool IsBlank(const char* text);

// The file of the installed font of exactly that family; false when there is none.
bool FindFontFile(const QString& fontName, QString& path);
