/* Moves the wall clock of a running Wine process, so an end-to-end test can make a schedule
 * become due or past without waiting for it.
 *
 * Preloaded into the Wine loader that runs the test build only (LD_PRELOAD): /usr/lib/wine/wine
 * for the 32-bit build, /usr/lib/wine/wine64 for the 64-bit one. Every read of CLOCK_REALTIME
 * (and of gettimeofday and time) gets an offset in whole seconds added; the offset is the
 * decimal number in the file named by PELMORA_TIME_OFFSET_FILE, re-read at most every 200 ms,
 * so the test moves the clock by rewriting that file. Monotonic clocks are left alone, so
 * timers and timeouts keep real time. No file, or no number in it, means offset 0.
 *
 * i386: Wine is built with 64-bit time_t, so it calls glibc's __clock_gettime64,
 * __gettimeofday64 and __time64; the 32-bit-time entry points are wrapped as well for anything
 * else loaded into the process.
 * x86-64: time_t is 64-bit everywhere and glibc has only clock_gettime, gettimeofday and time.
 *
 * Built without the C library's headers or start files (no development packages of the other
 * architecture needed):
 *   gcc -m32 -shared -fPIC -nostdlib -ffreestanding -O2 timeshift.c \
 *       /lib/i386-linux-gnu/libc.so.6 -o timeshift.so
 *   gcc -m64 -shared -fPIC -nostdlib -ffreestanding -O2 timeshift.c \
 *       /lib/x86_64-linux-gnu/libc.so.6 -o timeshift.so
 */

typedef long long i64;
typedef int i32;

/* The 64-bit-time structures: i386's __clock_gettime64 and __gettimeofday64, and every call on
 * x86-64, whose long is 64 bits. */
struct ts64 {
    i64 tv_sec;
#if defined(__x86_64__)
    i64 tv_nsec;
#else
    i32 tv_nsec;
    i32 pad;
#endif
};
struct tv64 {
    i64 tv_sec;
    i64 tv_usec;
};

#define CLOCK_REALTIME 0
#define CLOCK_MONOTONIC 1
#define CLOCK_REALTIME_COARSE 5
#define CLOCK_TAI 11
#define RTLD_NEXT ((void*)-1)
#define O_RDONLY 0

extern void* dlsym(void* handle, const char* name);
extern char* getenv(const char* name);
extern int open(const char* path, int flags, ...);
extern long read(int fd, void* buf, unsigned long count);
extern int close(int fd);

typedef int (*clock64_fn)(int, struct ts64*);
typedef int (*tod64_fn)(struct tv64*, void*);

#if defined(__x86_64__)
#define CLOCK64_NAME "clock_gettime"
#define TOD64_NAME "gettimeofday"
#else
#define CLOCK64_NAME "__clock_gettime64"
#define TOD64_NAME "__gettimeofday64"
#endif

static clock64_fn real_clock64;
static tod64_fn real_tod64;

static volatile i64 offset_seconds;
static volatile i64 next_read_ns; /* monotonic time of the next reading of the file */

static void* next_symbol(const char* name) {
    return dlsym(RTLD_NEXT, name);
}

static int call_clock64(int id, struct ts64* t) {
    if (!real_clock64)
        real_clock64 = (clock64_fn)next_symbol(CLOCK64_NAME);
    return real_clock64 ? real_clock64(id, t) : -1;
}

static i64 monotonic_ns(void) {
    struct ts64 t;
    if (call_clock64(CLOCK_MONOTONIC, &t) != 0)
        return 0;
    return t.tv_sec * 1000000000LL + t.tv_nsec;
}

static i64 parse_offset(const char* s, long n) {
    long i = 0;
    int negative = 0;
    i64 value = 0;
    while (i < n && (s[i] == ' ' || s[i] == '\t' || s[i] == '\n' || s[i] == '\r'))
        i++;
    if (i < n && (s[i] == '-' || s[i] == '+'))
        negative = s[i++] == '-';
    while (i < n && s[i] >= '0' && s[i] <= '9')
        value = value * 10 + (s[i++] - '0');
    return negative ? -value : value;
}

/* Races between threads only ever re-read the file twice; the value written is whole. */
static i64 current_offset(void) {
    i64 now = monotonic_ns();
    if (now >= next_read_ns) {
        const char* path = getenv("PELMORA_TIME_OFFSET_FILE");
        i64 value = 0;
        if (path && *path) {
            char buf[64];
            int fd = open(path, O_RDONLY);
            if (fd >= 0) {
                long n = read(fd, buf, sizeof buf);
                close(fd);
                if (n > 0)
                    value = parse_offset(buf, n);
            }
        }
        offset_seconds = value;
        next_read_ns = now + 200000000LL;
    }
    return offset_seconds;
}

static int is_wall_clock(int id) {
    return id == CLOCK_REALTIME || id == CLOCK_REALTIME_COARSE || id == CLOCK_TAI;
}

static int shifted_clock64(int id, struct ts64* t) {
    int rc = call_clock64(id, t);
    if (rc == 0 && t && is_wall_clock(id))
        t->tv_sec += current_offset();
    return rc;
}

static int shifted_tod64(struct tv64* tv, void* tz) {
    if (!real_tod64)
        real_tod64 = (tod64_fn)next_symbol(TOD64_NAME);
    int rc = real_tod64 ? real_tod64(tv, tz) : -1;
    if (rc == 0 && tv)
        tv->tv_sec += current_offset();
    return rc;
}

static i64 shifted_seconds(void) {
    struct ts64 t;
    return shifted_clock64(CLOCK_REALTIME, &t) == 0 ? t.tv_sec : -1;
}

#if defined(__x86_64__)

int clock_gettime(int id, struct ts64* t) {
    return shifted_clock64(id, t);
}

int gettimeofday(struct tv64* tv, void* tz) {
    return shifted_tod64(tv, tz);
}

i64 time(i64* out) {
    i64 value = shifted_seconds();
    if (out)
        *out = value;
    return value;
}

#else

struct ts32 {
    i32 tv_sec;
    i32 tv_nsec;
};
struct tv32 {
    i32 tv_sec;
    i32 tv_usec;
};
typedef int (*clock32_fn)(int, struct ts32*);
typedef int (*tod32_fn)(struct tv32*, void*);
static clock32_fn real_clock32;
static tod32_fn real_tod32;

int __clock_gettime64(int id, struct ts64* t) {
    return shifted_clock64(id, t);
}

int clock_gettime(int id, struct ts32* t) {
    if (!real_clock32)
        real_clock32 = (clock32_fn)next_symbol("clock_gettime");
    int rc = real_clock32(id, t);
    if (rc == 0 && t && is_wall_clock(id))
        t->tv_sec += (i32)current_offset();
    return rc;
}

int __gettimeofday64(struct tv64* tv, void* tz) {
    return shifted_tod64(tv, tz);
}

int gettimeofday(struct tv32* tv, void* tz) {
    if (!real_tod32)
        real_tod32 = (tod32_fn)next_symbol("gettimeofday");
    int rc = real_tod32(tv, tz);
    if (rc == 0 && tv)
        tv->tv_sec += (i32)current_offset();
    return rc;
}

i64 __time64(i64* out) {
    i64 value = shifted_seconds();
    if (out)
        *out = value;
    return value;
}

i32 time(i32* out) {
    i32 value = (i32)shifted_seconds();
    if (out)
        *out = value;
    return value;
}

#endif
