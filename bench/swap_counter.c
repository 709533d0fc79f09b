/* Preloaded into a peer screensaver by scripts/bench-saver.sh: counts the
 * frames it shows, so that its wake-ups can be compared per frame. The count
 * lives in a shared file mapping named by SWAP_COUNTER_FILE, which the script
 * reads while the peer runs; counting costs no system call per frame. */
#define _GNU_SOURCE
#include <dlfcn.h>
#include <fcntl.h>
#include <stdint.h>
#include <stdlib.h>
#include <sys/mman.h>
#include <unistd.h>

typedef void (*GlxSwapFunction)(void *display, unsigned long drawable);
typedef unsigned int (*EglSwapFunction)(void *display, void *surface);

static volatile uint64_t *OpenCounter(void)
{
    const char *path = getenv("SWAP_COUNTER_FILE");
    int file = path != NULL ? open(path, O_RDWR | O_CREAT, 0644) : -1;
    if (file < 0 || ftruncate(file, sizeof(uint64_t)) != 0) {
        return NULL;
    }
    void *mapping = mmap(NULL, sizeof(uint64_t), PROT_READ | PROT_WRITE, MAP_SHARED, file, 0);
    close(file);
    return mapping == MAP_FAILED ? NULL : (volatile uint64_t *)mapping;
}

static void CountFrame(void)
{
    static int opened;
    static volatile uint64_t *counter;
    if (!opened) {
        opened = 1;
        counter = OpenCounter();
    }
    if (counter != NULL) {
        ++*counter;
    }
}

/* Peers built on GLX or on EGL: whichever the peer calls is counted. */
void glXSwapBuffers(void *display, unsigned long drawable)
{
    static GlxSwapFunction next;
    if (next == NULL) {
        next = (GlxSwapFunction)dlsym(RTLD_NEXT, "glXSwapBuffers");
    }
    CountFrame();
    next(display, drawable);
}

unsigned int eglSwapBuffers(void *display, void *surface)
{
    static EglSwapFunction next;
    if (next == NULL) {
        next = (EglSwapFunction)dlsym(RTLD_NEXT, "eglSwapBuffers");
    }
    CountFrame();
    return next(display, surface);
}
