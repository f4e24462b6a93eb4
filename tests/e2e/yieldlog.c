/* Timing probe for measure_load.sh, loaded into the window with LD_PRELOAD.
 * It stands in front of the toolkit calls the window makes itself and notes
 * the wall-clock time of each:
 *   yield / back  QCoreApplication::processEvents entered and returned (the
 *                 window letting pending events run during a long operation)
 *   busy / idle   QGuiApplication::setOverrideCursor and restoreOverrideCursor
 *                 (the wait cursor: a load or a spectrum starts and ends)
 *   show          QWidget::show (start-up: the record is drawn by then)
 *   drawn         the first QBackingStore::flush after show: the first
 *                 frame handed to the window system
 * then calls the real function. Only calls from the program itself pass
 * through here, not the toolkit's calls to itself. The notes are kept in
 * memory and written to $YIELDLOG at each "idle" and "show", so the writing
 * does not fall inside what is measured. */
#define _GNU_SOURCE
#include <dlfcn.h>
#include <stdio.h>
#include <stdlib.h>
#include <time.h>

enum { capacity = 1 << 20 };

static struct note {
    double time;
    const char *what;
} notes[capacity];
static size_t count, written;

static void note(const char *what)
{
    struct timespec t;
    clock_gettime(CLOCK_REALTIME, &t);
    if (count < capacity)
        notes[count++] = (struct note){t.tv_sec + t.tv_nsec / 1e9, what};
}

static void flush_notes(void)
{
    const char *path = getenv("YIELDLOG");
    FILE *out = path ? fopen(path, "a") : NULL;
    if (!out)
        return;
    for (; written < count; ++written)
        fprintf(out, "%.6f %s\n", notes[written].time, notes[written].what);
    fclose(out);
}

static void *real(const char *name)
{
    void *f = dlsym(RTLD_NEXT, name);
    if (!f) {
        fprintf(stderr, "yieldlog: %s not found\n", name);
        abort();
    }
    return f;
}

#define PROCESS_EVENTS "_ZN16QCoreApplication13processEventsE6QFlagsIN10QEventLoop17ProcessEventsFlagEE"
#define PROCESS_EVENTS_MS PROCESS_EVENTS "i"
#define SET_OVERRIDE_CURSOR "_ZN15QGuiApplication17setOverrideCursorERK7QCursor"
#define RESTORE_OVERRIDE_CURSOR "_ZN15QGuiApplication21restoreOverrideCursorEv"
#define WIDGET_SHOW "_ZN7QWidget4showEv"
#define BACKING_STORE_FLUSH "_ZN13QBackingStore5flushERK7QRegionP7QWindowRK6QPoint"

/* QFlags<...> holds one int and is passed as one. */
void process_events(int flags) __asm__(PROCESS_EVENTS);
void process_events(int flags)
{
    static void (*f)(int);
    if (!f)
        f = (void (*)(int))real(PROCESS_EVENTS);
    note("yield");
    f(flags);
    note("back");
}

void process_events_ms(int flags, int ms) __asm__(PROCESS_EVENTS_MS);
void process_events_ms(int flags, int ms)
{
    static void (*f)(int, int);
    if (!f)
        f = (void (*)(int, int))real(PROCESS_EVENTS_MS);
    note("yield");
    f(flags, ms);
    note("back");
}

void set_override_cursor(const void *cursor) __asm__(SET_OVERRIDE_CURSOR);
void set_override_cursor(const void *cursor)
{
    static void (*f)(const void *);
    if (!f)
        f = (void (*)(const void *))real(SET_OVERRIDE_CURSOR);
    note("busy");
    f(cursor);
}

void restore_override_cursor(void) __asm__(RESTORE_OVERRIDE_CURSOR);
void restore_override_cursor(void)
{
    static void (*f)(void);
    if (!f)
        f = (void (*)(void))real(RESTORE_OVERRIDE_CURSOR);
    f();
    note("idle");
    flush_notes();
}

static int shown, drawn;

void widget_show(void *widget) __asm__(WIDGET_SHOW);
void widget_show(void *widget)
{
    static void (*f)(void *);
    if (!f)
        f = (void (*)(void *))real(WIDGET_SHOW);
    note("show");
    flush_notes();
    shown = 1;
    f(widget);
}

void backing_store_flush(void *store, const void *region, void *window, const void *offset)
    __asm__(BACKING_STORE_FLUSH);
void backing_store_flush(void *store, const void *region, void *window, const void *offset)
{
    static void (*f)(void *, const void *, void *, const void *);
    if (!f)
        f = (void (*)(void *, const void *, void *, const void *))real(BACKING_STORE_FLUSH);
    f(store, region, window, offset);
    if (shown && !drawn) {
        drawn = 1;
        note("drawn");
        flush_notes();
    }
}
