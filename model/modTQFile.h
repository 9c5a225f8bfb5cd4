#pragma once
// The text score file: the older, line-oriented score format. The program reads
// it (any score file that does not start with the binary tag) but never writes
// it; every save writes the binary format.
//
// Like the binary reader, it reads into a fresh score and replaces the current
// one only when the whole file was read.
#include <cstdio>
#include <string>

class TMainScore;

// Helper object of the text format.
class TAscScoreFile {
public:
    TMainScore* Main = nullptr; // the score it last worked for
};
extern TAscScoreFile AscScoreFile;

// Reads a text score into main; quiet: no messages and only page 1 of layer 0.
// Failures report 1044 (cannot open), 1045 (wrong format) or 1052 (no pages)
// with the file name and leave main exactly as it was.
bool LoadTextScore(const std::string& fileName, TMainScore* main, bool quiet);

// The same reader on an open stream; fileName names it in messages and gives
// the score's folder.
bool LoadTextScoreStream(FILE* f, const std::string& fileName, TMainScore* main, bool quiet);
