// tavrin cache: fills the desktop's thumbnail cache for files and folders ahead of the file
// manager, on several threads, each with its own shell object.

#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <charconv>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <iostream>
#include <mutex>
#include <ostream>
#include <string>
#include <thread>
#include <vector>

#include "common/file_types.hpp"
#include "formats/jpeg_markers.hpp"
#include "hosts/tavrin/cache_files.hpp"
#include "hosts/tavrin/commands.hpp"
#include "hosts/tavrin/thumbnail_cache.hpp"
#include "hosts/tavrin/thumbnail_maker.hpp"
#include "platform/system/ascii.hpp"
#include "platform/system/files.hpp"

namespace tavrin::host {
namespace {

using Clock = std::chrono::steady_clock;

constexpr std::string_view kUsage =
    "Usage: tavrin cache [--size normal|large|x-large|xx-large]... [--jobs N] [--force] "
    "[--quiet] FOLDER|FILE...\n";
constexpr int kMaxJobs = 256;

struct Options {
    std::vector<CacheSize> sizes;
    int jobs = 0;
    bool force = false;
    bool quiet = false;
    std::vector<std::string> inputs;
};

// The options, or a line saying what is wrong with them.
std::string parse(std::span<const std::string_view> args, Options& options) {
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string_view a = args[i];
        const bool hasValue = i + 1 < args.size();
        if (a == "--size" && hasValue) {
            const std::string_view name = args[++i];
            const auto* size = std::find_if(std::begin(kCacheSizes), std::end(kCacheSizes),
                                            [&](const CacheSize& s) { return s.name == name; });
            if (size == std::end(kCacheSizes))
                return "the size must be normal, large, x-large or xx-large";
            if (std::none_of(options.sizes.begin(), options.sizes.end(),
                             [&](const CacheSize& s) { return s.name == name; })) {
                options.sizes.push_back(*size);
            }
        } else if (a == "--jobs" && hasValue) {
            const std::string_view text = args[++i];
            const auto [end, ec] =
                std::from_chars(text.data(), text.data() + text.size(), options.jobs);
            if (ec != std::errc() || end != text.data() + text.size() || options.jobs < 1 ||
                options.jobs > kMaxJobs) {
                return "the number of jobs must be a number from 1 to " + std::to_string(kMaxJobs);
            }
        } else if (a == "--force") {
            options.force = true;
        } else if (a == "--quiet") {
            options.quiet = true;
        } else if (a.starts_with("--")) {
            return "unknown option " + std::string(a);
        } else {
            options.inputs.emplace_back(a);
        }
    }
    if (options.inputs.empty()) return "no folder or file named";
    // The sizes file managers show by default.
    if (options.sizes.empty()) options.sizes = {kCacheSizes[0], kCacheSizes[1]};
    if (options.jobs == 0)
        options.jobs = static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
    return {};
}

// What a run did, and its lines on the terminal: problems one a line, the progress line
// rewritten in place below them.
class Report {
  public:
    Report(Io io, bool progress, std::size_t total)
        : io_(io), progress_(progress), total_(total), start_(Clock::now()) {}

    void problem(std::string_view line) {
        std::lock_guard lock(mutex_);
        if (progressShown_) io_.err << "\r\033[K";
        io_.err << "tavrin: " << line << "\n";
        progressShown_ = false;
    }
    void made() { count(made_); }
    void current() { count(current_); }
    void failed() { count(failed_); }

    // Waits until every file is done, rewriting the progress line on the way.
    void waitForAll() {
        std::unique_lock lock(mutex_);
        while (!changed_.wait_for(lock, std::chrono::milliseconds(200),
                                  [&] { return done() == total_; })) {
            if (!progress_) continue;
            const double seconds = elapsed();
            const double rate = seconds > 0 ? static_cast<double>(done()) / seconds : 0;
            const auto left = rate > 0 ? static_cast<long>((total_ - done()) / rate + 0.5) : 0;
            char line[160];
            std::snprintf(line, sizeof line, "\r%zu of %zu files, %.0f per second, %ld:%02ld left",
                          done(), total_, rate, left / 60, left % 60);
            io_.err << line << "\033[K" << std::flush;
            progressShown_ = true;
        }
        if (progressShown_) io_.err << "\r\033[K" << std::flush;
        progressShown_ = false;
    }

    std::size_t failures() const { return failed_; }
    std::string summary(int problemsBefore) const {
        char line[160];
        std::snprintf(line, sizeof line, "%zu made, %zu current, %zu failed (%.1f s)\n", made_,
                      current_, failed_ + static_cast<std::size_t>(problemsBefore), elapsed());
        return line;
    }

  private:
    std::size_t done() const { return made_ + current_ + failed_; }
    double elapsed() const { return std::chrono::duration<double>(Clock::now() - start_).count(); }
    // Only the last file wakes the waiting thread: the progress line is redrawn on its own
    // clock, and a wake-up per file would take a core from the workers each time.
    void count(std::size_t& counter) {
        bool last;
        {
            std::lock_guard lock(mutex_);
            ++counter;
            last = done() == total_;
        }
        if (last) changed_.notify_one();
    }

    Io io_;
    bool progress_;
    std::size_t total_;
    Clock::time_point start_;
    std::mutex mutex_;
    std::condition_variable changed_;
    std::size_t made_ = 0, current_ = 0, failed_ = 0;
    bool progressShown_ = false;
};

// The longer side of a file that is its own picture (a JPEG), which a thumbnail never exceeds;
// 0 when it is not known. A camera file's picture is its sensor's, larger than any thumbnail.
int pictureSide(const std::string& path) {
    const std::string_view extension = innerExtension(path);
    if (!ascii::equalsIgnoreCase(extension, ".jpg") &&
        !ascii::equalsIgnoreCase(extension, ".jpeg") &&
        !ascii::equalsIgnoreCase(extension, ".thm")) {
        return 0;
    }
    formats::FileReader file;
    if (file.open(path)) return 0;
    const auto frame = formats::readJpegFrameSize(file);
    return frame ? std::max(frame->width, frame->height) : 0;
}

class CacheWorker {
  public:
    CacheWorker(const ThumbnailCache& cache, const Options& options, Report& report)
        : cache_(cache), options_(options), report_(report) {}

    bool open(Io io) { return maker_.open(io); }

    void run(const std::vector<std::string>& files, std::atomic<std::size_t>& next) {
        for (std::size_t i = next++; i < files.size(); i = next++)
            process(files[i]);
    }

  private:
    void process(const std::string& path) {
        // The time written is the one read before the picture: a file changed meanwhile is
        // made again when a file manager next compares.
        const auto stamp = stampOf(path);
        if (const std::string why = files::whyUnreadable(path); !stamp || !why.empty()) {
            report_.problem("cannot read " + path + ": " + why);
            report_.failed();
            return;
        }
        std::vector<const CacheSize*> missing;
        for (const CacheSize& size : options_.sizes) {
            if (options_.force ||
                !ThumbnailCache::isCurrent(cache_.thumbnailPath(size, *stamp), *stamp)) {
                missing.push_back(&size);
            }
        }
        if (missing.empty()) {
            report_.current();
            return;
        }
        if (!options_.force && ThumbnailCache::isCurrent(cache_.failurePath(*stamp), *stamp)) {
            report_.problem("no thumbnail for " + path +
                            ": none the last time (--force tries again)");
            report_.failed();
            return;
        }
        maker_.load(path);
        const int side = pictureSide(path);
        for (const CacheSize* size : missing) {
            const Thumbnail thumbnail =
                maker_.extract(side > 0 ? std::min(side, size->pixels) : size->pixels);
            if (!thumbnail.bitmap) {
                report_.problem("no thumbnail for " + path + ": " + thumbnail.why());
                if (const int error = cache_.storeFailure(*stamp))
                    report_.problem(cannotWrite(cache_.failurePath(*stamp).string(), error));
                report_.failed();
                return;
            }
            const auto target = cache_.thumbnailPath(*size, *stamp);
            if (const int error =
                    cache_.store(target, *imaging::bitmapOf(thumbnail.bitmap.get()), *stamp)) {
                report_.problem(cannotWrite(target.string(), error));
                report_.failed();
                return;
            }
        }
        cache_.clearFailure(*stamp);
        report_.made();
    }

    const ThumbnailCache& cache_;
    const Options& options_;
    Report& report_;
    ThumbnailMaker maker_;
};

// Makes the cache's folders; false, with one line, when one cannot be made or written.
bool prepareCache(const ThumbnailCache& cache, const Options& options, Io io) {
    std::error_code ec;
    const bool made = !std::filesystem::exists(cache.root(), ec);
    for (const CacheSize& size : options.sizes) {
        const auto folder = cache.root() / size.name;
        std::filesystem::create_directories(folder, ec);
        if (ec || ::access(folder.c_str(), W_OK | X_OK) != 0) {
            io.err << "tavrin: " << cannotWrite(folder.string(), ec ? ec.value() : errno) << "\n";
            return false;
        }
    }
    // The cache shows what the user's files hold: a new one is the user's alone.
    if (made) std::filesystem::permissions(cache.root(), std::filesystem::perms::owner_all, ec);
    return true;
}

}  // namespace

int runCache(std::span<const std::string_view> args, Io io) {
    Options options;
    if (const std::string wrong = parse(args, options); !wrong.empty()) {
        io.err << "tavrin: " << wrong << "\n" << kUsage;
        return 2;
    }
    const ThumbnailCache cache(ThumbnailCache::defaultRoot());
    if (!prepareCache(cache, options, io)) return 1;

    std::mutex early;
    const CacheFiles work = collectCacheFiles(options.inputs, [&](std::string_view line) {
        std::lock_guard lock(early);
        io.err << "tavrin: " << line << "\n";
    });
    const bool terminal = !options.quiet && &io.err == &std::cerr && ::isatty(STDERR_FILENO);
    Report report(io, terminal, work.files.size());
    const std::size_t jobs =
        std::clamp<std::size_t>(work.files.size(), 1, static_cast<std::size_t>(options.jobs));
    // The objects are made here, one after another; each thread then uses its own.
    std::vector<CacheWorker> workers;
    workers.reserve(jobs);
    for (std::size_t i = 0; i < jobs; ++i) {
        if (!workers.emplace_back(cache, options, report).open(io)) return 1;
    }
    std::atomic<std::size_t> next = 0;
    {
        std::vector<std::jthread> threads;
        for (CacheWorker& worker : workers)
            threads.emplace_back([&] { worker.run(work.files, next); });
        report.waitForAll();
    }
    if (!options.quiet) io.out << "tavrin cache: " << report.summary(work.problems);
    return report.failures() > 0 || work.problems > 0 ? 1 : 0;
}

}  // namespace tavrin::host
