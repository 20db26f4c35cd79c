#include "host_environment.h"

#include <atomic>
#include <clocale>
#include <cstdio>
#include <locale>
#include <mutex>

#if defined(__x86_64__) || defined(_M_X64)
#include <xmmintrin.h>
#define PLUGINSDK_X86_CONTROL_WORDS 1
#else
#include <cfenv>
#endif
#if !defined(_WIN32)
#include <locale.h>
#endif

#include "plugin_call.h"
#include "process_state.h"

namespace pluginsdk {
namespace {

// The control words' bits that say how to compute (rounding, flush-to-zero, denormals-are-zero,
// which exceptions trap); SSE's low six bits are sticky flags that ordinary arithmetic sets.
constexpr unsigned kSseControlBits = 0xffc0;

// The host's, as the main thread had them at start-up; until then the processor's defaults.
// Written once, before the host's other threads start; atomic only so that a program that runs
// plug-in code on threads it started otherwise (the tests) reads them whole. Plain loads on x86.
std::atomic<unsigned> hostSse{0x1f80};
std::atomic<unsigned short> hostX87{0x037f};

unsigned readSse() {
#if PLUGINSDK_X86_CONTROL_WORDS
    return _mm_getcsr();
#else
    return static_cast<unsigned>(std::fegetround());
#endif
}

unsigned short readX87() {
#if PLUGINSDK_X86_CONTROL_WORDS
    unsigned short word = 0;
    __asm__ volatile("fnstcw %0" : "=m"(word));
    return word;
#else
    return 0;
#endif
}

void writeControlWords(unsigned sse, unsigned short x87) {
#if PLUGINSDK_X86_CONTROL_WORDS
    _mm_setcsr((readSse() & ~kSseControlBits) | (sse & kSseControlBits));
    __asm__ volatile("fldcw %0" : : "m"(x87));
#else
    std::fesetround(static_cast<int>(sse));
    (void)x87;
#endif
}

bool hostControlWords(unsigned sse, unsigned short x87) {
    return ((sse ^ hostSse.load(std::memory_order_relaxed)) & kSseControlBits) == 0 &&
           x87 == hostX87.load(std::memory_order_relaxed);
}

void writeHostControlWords() {
    writeControlWords(hostSse.load(std::memory_order_relaxed), hostX87.load(std::memory_order_relaxed));
}

#if defined(_WIN32)
// The Microsoft runtime has no locale_t per thread to switch to; a thread set to use a locale of its
// own (_configthreadlocale) keeps setlocale's effects to itself, so the host's threads are set to
// "C" that way, and a change is seen in the decimal point.
bool hostLocaleInUse() {
    return std::localeconv()->decimal_point[0] == '.' && std::localeconv()->decimal_point[1] == '\0';
}
void useHostLocale() {
    _configthreadlocale(_ENABLE_PER_THREAD_LOCALE);
    std::setlocale(LC_ALL, "C");
}
#else
locale_t makeCLocale() {
    static const locale_t made = ::newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
    return made;
}
// Made by the first adoptHostEnvironment, before any plug-in call: read without a guard after each.
std::atomic<locale_t> hostCLocale{nullptr};
bool hostLocaleInUse() {
    // Before any thread adopted the host's environment (a test's program) there is none to keep.
    const locale_t host = hostCLocale.load(std::memory_order_relaxed);
    return host == nullptr || ::uselocale(static_cast<locale_t>(nullptr)) == host;
}
void useHostLocale() {
    ::uselocale(makeCLocale());
}
#endif

// The C++ global locale is the classic one unless plug-in code set another: new streams take it.
bool classicGlobalLocale() {
    return std::locale() == std::locale::classic();
}

char* describeControlWords(char (&text)[64], unsigned sse, unsigned short x87) {
    std::snprintf(text, sizeof text, "MXCSR 0x%04x, x87 control word 0x%04x", sse & kSseControlBits, x87);
    return text;
}

}  // namespace

void adoptHostEnvironment() {
    static std::once_flag taken;
    bool first = false;
    std::call_once(taken, [&first] {
        // The first thread to adopt is the main thread, at start-up: its environment is the host's.
        first = true;
        hostSse.store(readSse() & kSseControlBits, std::memory_order_relaxed);
        hostX87.store(readX87(), std::memory_order_relaxed);
#if !defined(_WIN32)
        hostCLocale.store(makeCLocale(), std::memory_order_relaxed);
#endif
    });
    if (!first) {
        writeHostControlWords();
    }
    useHostLocale();
}

HostNumberEnvironment::HostNumberEnvironment() : sse_(readSse()), x87_(readX87()), locale_(nullptr) {
    if (!hostControlWords(sse_, x87_)) [[unlikely]] {
        writeHostControlWords();
    }
#if !defined(_WIN32)
    if (const locale_t current = ::uselocale(static_cast<locale_t>(nullptr)); current != makeCLocale()) [[unlikely]] {
        locale_ = current;
        ::uselocale(makeCLocale());
    }
#endif
}

HostNumberEnvironment::~HostNumberEnvironment() {
    if (!hostControlWords(sse_, x87_)) [[unlikely]] {
        writeControlWords(sse_, x87_);
    }
#if !defined(_WIN32)
    if (locale_ != nullptr) [[unlikely]] {
        ::uselocale(static_cast<locale_t>(locale_));
    }
#endif
}

namespace detail {

void* cLocale() {
#if defined(_WIN32)
    return nullptr;
#else
    return makeCLocale();
#endif
}

void restoreClassicGlobalLocale(const PluginCall& call) {
    if (!classicGlobalLocale()) {
        noteProcessStateChange(call, ProcessStateChange::CxxLocale, "");
        // This also sets the C global locale to "C", which only threads of the plug-in's own use.
        std::locale::global(std::locale::classic());
    }
}

void restoreAfterPluginCall(const PluginCall& call) {
    const unsigned sse = readSse();
    const unsigned short x87 = readX87();
    const bool hostNumbers = hostControlWords(sse, x87);
    const bool hostLocale = hostLocaleInUse();
    if (processStateTouched.load(std::memory_order_relaxed) == 0 && hostNumbers && hostLocale) [[likely]] {
        return;
    }
    if (processStateTouched.load(std::memory_order_relaxed) != 0) {
        noteWhatThePluginCallTouched(call);
    }
    if (!hostNumbers) {
        char text[64];
        noteProcessStateChange(call, ProcessStateChange::FloatingPoint, describeControlWords(text, sse, x87));
        writeHostControlWords();
    }
    if (!hostLocale) {
        noteProcessStateChange(call, ProcessStateChange::Locale, "");
        useHostLocale();
    }
}

}  // namespace detail
}  // namespace pluginsdk
