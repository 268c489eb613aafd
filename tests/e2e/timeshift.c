/* Moves the wall clock of a running 32-bit Wine process, so an end-to-end test can make a
 * schedule become due or past without waiting for it.
 *
 * Preloaded into /usr/lib/wine/wine only (LD_PRELOAD). Every read of CLOCK_REALTIME (and of
 * gettimeofday and time) gets an offset in whole seconds added; the offset is the decimal
 * number in the file named by PELMORA_TIME_OFFSET_FILE, re-read at most every 200 ms, so
 * the test moves the clock by rewriting that file. Monotonic clocks are left alone, so timers
 * and timeouts keep real time. No file, or no number in it, means offset 0.
 *
 * The i386 Wine is built with 64-bit time_t, so it calls glibc's __clock_gettime64,
 * __gettimeofday64 and __time64; the 32-bit entry points are wrapped as well for anything
 * else loaded into the process.
 *
 * Built without the C library's headers or start files (no 32-bit development packages
 * needed):
 *   gcc -m32 -shared -fPIC -nostdlib -ffreestanding -O2 timeshift.c \
 *       /lib/i386-linux-gnu/libc.so.6 -o timeshift.so
 */

typedef long long i64;
typedef int i32;

struct ts32 {
    i32 tv_sec;
    i32 tv_nsec;
};
struct ts64 {
    i64 tv_sec;
    i32 tv_nsec;
    i32 pad;
};
struct tv32 {
    i32 tv_sec;
    i32 tv_usec;
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
extern int read(int fd, void* buf, unsigned count);
extern int close(int fd);

typedef int (*clock64_fn)(int, struct ts64*);
typedef int (*clock32_fn)(int, struct ts32*);
typedef int (*tod64_fn)(struct tv64*, void*);
typedef int (*tod32_fn)(struct tv32*, void*);

static clock64_fn real_clock64;
static clock32_fn real_clock32;
static tod64_fn real_tod64;
static tod32_fn real_tod32;

static volatile i64 offset_seconds;
static volatile i64 next_read_ns; /* monotonic time of the next reading of the file */

static void* next_symbol(const char* name) {
    return dlsym(RTLD_NEXT, name);
}

static i64 monotonic_ns(void) {
    struct ts64 t;
    if (!real_clock64)
        real_clock64 = (clock64_fn)next_symbol("__clock_gettime64");
    if (!real_clock64 || real_clock64(CLOCK_MONOTONIC, &t) != 0)
        return 0;
    return t.tv_sec * 1000000000LL + t.tv_nsec;
}

static i64 parse_offset(const char* s, int n) {
    int i = 0, negative = 0;
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
                int n = read(fd, buf, sizeof buf);
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

int __clock_gettime64(int id, struct ts64* t) {
    if (!real_clock64)
        real_clock64 = (clock64_fn)next_symbol("__clock_gettime64");
    int rc = real_clock64(id, t);
    if (rc == 0 && t && is_wall_clock(id))
        t->tv_sec += current_offset();
    return rc;
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
    if (!real_tod64)
        real_tod64 = (tod64_fn)next_symbol("__gettimeofday64");
    int rc = real_tod64(tv, tz);
    if (rc == 0 && tv)
        tv->tv_sec += current_offset();
    return rc;
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
    struct ts64 t;
    i64 value = __clock_gettime64(CLOCK_REALTIME, &t) == 0 ? t.tv_sec : -1;
    if (out)
        *out = value;
    return value;
}

i32 time(i32* out) {
    struct ts64 t;
    i32 value = __clock_gettime64(CLOCK_REALTIME, &t) == 0 ? (i32)t.tv_sec : -1;
    if (out)
        *out = value;
    return value;
}
