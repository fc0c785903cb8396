/* A test aid of kadra's end-to-end stop tests, loaded into a real run with LD_PRELOAD: it sends
 * the process a stop signal at one chosen moment of the run, the moments a signal at a random
 * time seldom hits.
 *
 *   KADRA_STOP_SIGNAL  INT, TERM or HUP
 *   KADRA_STOP_AT      open:PART    right after the first open(2) of a path holding PART
 *                      unlink:PART  right after the first unlink(2) that deletes such a path
 *                      rename:PART  right before the first rename(2) from such a path
 *
 * The signal is sent once. */
#define _GNU_SOURCE
#include <dlfcn.h>
#include <fcntl.h>
#include <signal.h>
#include <stdarg.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/types.h>
#include <unistd.h>

static int sent;

static int Matches(const char* call, const char* path) {
    const char* at = getenv("KADRA_STOP_AT");
    const size_t callLength = strlen(call);
    if (sent || at == NULL || path == NULL || strncmp(at, call, callLength) != 0 ||
        at[callLength] != ':') {
        return 0;
    }
    return strstr(path, at + callLength + 1) != NULL;
}

static void Send(void) {
    const char* name = getenv("KADRA_STOP_SIGNAL");
    int signal = SIGINT;
    if (name != NULL && strcmp(name, "TERM") == 0) signal = SIGTERM;
    if (name != NULL && strcmp(name, "HUP") == 0) signal = SIGHUP;
    sent = 1;
    kill(getpid(), signal);
}

static int OpenWith(const char* symbol, const char* path, int flags, mode_t mode) {
    int (*real)(const char*, int, ...) = (int (*)(const char*, int, ...))dlsym(RTLD_NEXT, symbol);
    const int fd = real(path, flags, mode);
    if (Matches("open", path)) Send();
    return fd;
}

int open(const char* path, int flags, ...) {
    mode_t mode = 0;
    if (flags & (O_CREAT | O_TMPFILE)) {
        va_list args;
        va_start(args, flags);
        mode = (mode_t)va_arg(args, int);
        va_end(args);
    }
    return OpenWith("open", path, flags, mode);
}

int open64(const char* path, int flags, ...) {
    mode_t mode = 0;
    if (flags & (O_CREAT | O_TMPFILE)) {
        va_list args;
        va_start(args, flags);
        mode = (mode_t)va_arg(args, int);
        va_end(args);
    }
    return OpenWith("open64", path, flags, mode);
}

int unlink(const char* path) {
    int (*real)(const char*) = (int (*)(const char*))dlsym(RTLD_NEXT, "unlink");
    const int result = real(path);
    if (result == 0 && Matches("unlink", path)) Send();
    return result;
}

int rename(const char* from, const char* to) {
    int (*real)(const char*, const char*) =
        (int (*)(const char*, const char*))dlsym(RTLD_NEXT, "rename");
    if (Matches("rename", from)) Send();
    return real(from, to);
}
