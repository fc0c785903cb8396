// The command line of the native kadra program and the settings it starts from.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "run_control.h"

namespace kadra {

enum class CliCommand { Disk, File, Data, Help };

struct CliOptions {
    CliCommand command = CliCommand::Help;
    std::string dir;          // disk, data: the folder that plays the drive
    std::string path;         // file: the file to read
    std::string size;         // MB; empty: the INI's default
    std::string description;  // disk: the run's title; empty: the INI's
    std::string queue;        // empty: the INI's
    std::string phys;         // empty: the INI's
    std::string product;      // name or index; empty: the INI's
    std::string ini;          // empty: the first KADRA.INI of FindKadraIni
    std::optional<bool> unbuffered;
    std::optional<bool> quick;
    bool powerUser = false;
    // disk, file: the RTF log (unset: "Logfile" of [INIT]), each curve as a PNG file
    // "<graphPrefix><pass> <kB> kB.png", the results as JSON and CSV ("-": standard output).
    std::optional<bool> log;
    std::string graphPrefix;
    std::string json;
    std::string csv;
    bool quiet = false;             // no progress line
    bool bufferPerRequest = false;  // queued runs: a buffer of its own for every request
};

// Reads the arguments after the program name; false with `error` set for a bad command line.
bool ParseCliOptions(const std::vector<std::string>& args, CliOptions* options, std::string* error);

// The usage text of --help.
std::string CliUsage();

// Loads the profiles and the [INIT] settings as the window program does (from options.ini, or
// from programFile's folder), applies the options on top and fills the start inputs. False with
// `error` set when the product is unknown, or none of its block sizes runs with --quick.
bool PrepareCliRun(const CliOptions& options, const KText& programFile, StartInputs* inputs,
                   std::string* error);

// Whether `dir` is a folder this process may create files in; else `error` tells why.
bool CheckRunFolder(const std::string& dir, std::string* error);

// Index of a product given by its index or its name (any case); -1 when there is none.
int FindProduct(const std::string& nameOrIndex);

// The results text as the native program prints it: LF line ends.
std::string ResultsForTerminal(const KText& text);

}  // namespace kadra
