// The viewer's speed as a user meets it (offscreen platform, the real shell object registered
// in a registry of the run's own):
//   step   - from the next-picture command to the end of the paint that shows the preloaded
//            picture, for every folder of sample files and for 24-megapixel pictures;
//   start  - from starting a viewer process to the end of its first paint of a picture;
//   memory - the resident size while stepping through a folder of 2000 files;
//   panes  - repainting the information bar with all sections open after a step;
//   slides - a slideshow with "Delay" 1 over a folder of sample files: slides shown late.
// Usage: tavrin_viewer_bench [--start-child FILE]

#include <dlfcn.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QThread>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "bench/bench_samples.hpp"
#include "common/file_types.hpp"
#include "common/settings.hpp"
#include "platform/registry/registry.hpp"
#include "tests/fixtures/fixture_writer.hpp"
#include "viewer/main_frame.hpp"
#include "viewer/picture_info_pane.hpp"
#include "viewer/picture_view.hpp"
#include "viewer/profile.hpp"

using namespace tavrin;
using namespace tavrin::viewer;
namespace fs = std::filesystem;

namespace {

bool waitFor(const std::function<bool()>& done, int milliseconds = 60000) {
    QElapsedTimer timer;
    timer.start();
    while (!done()) {
        if (timer.elapsed() > milliseconds) return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        QThread::usleep(200);
    }
    return true;
}

// A registry of the run's own with the shell object registered and every type associated.
void prepareRegistry(const fs::path& dir) {
    setenv("TAVRIN_REGISTRY_DIR", (dir / "user").c_str(), 1);
    setenv("TAVRIN_SYSTEM_REGISTRY_DIR", (dir / "machine").c_str(), 1);
    void* module = dlopen(TAVRIN_MODULE_PATH, RTLD_NOW | RTLD_LOCAL);
    auto registerServer =
        module ? reinterpret_cast<int (*)()>(dlsym(module, "DllRegisterServer")) : nullptr;
    if (!registerServer || registerServer() != 0) {
        std::fprintf(stderr, "cannot register the shell object\n");
        std::exit(1);
    }
    for (std::string_view extension : kSupportedExtensions)
        registry::setValue(registry::Root::ClassesRoot, extension, "", std::string("TavrinImage"));
    writePlacement({kShowNormal, true, 0, 0, 1000, 724});
}

long residentKiB() {
    std::ifstream statm("/proc/self/statm");
    long pages = 0, resident = 0;
    statm >> pages >> resident;
    return resident * (sysconf(_SC_PAGESIZE) / 1024);
}

struct StepTimes {
    std::vector<double> ms;
    void print(const char* what) const {
        if (ms.empty()) return;
        std::vector<double> sorted = ms;
        std::sort(sorted.begin(), sorted.end());
        double sum = 0;
        for (double t : sorted)
            sum += t;
        std::printf("%-34s %4zu steps  mean %6.2f ms  median %6.2f ms  max %6.2f ms\n", what,
                    sorted.size(), sum / sorted.size(), sorted[sorted.size() / 2], sorted.back());
    }
};

// Steps once round the folder, each time after the next picture has been preloaded.
void stepThrough(const fs::path& folder, StepTimes& times, int maxSteps = 1 << 30) {
    CMainFrame frame(false);
    frame.start(parseCommandLine({}), folder);
    PictureBrowser& browser = frame.view().browser();
    const int steps = std::min(browser.list().count(), maxSteps);
    if (browser.list().count() < 2) return;
    for (int i = 0; i < steps; ++i) {
        if (!waitFor([&] { return browser.nextSlot() && !browser.currentLoadRunning(); })) {
            std::fprintf(stderr, "no preload in %s\n", folder.c_str());
            return;
        }
        const auto start = std::chrono::steady_clock::now();
        frame.action(ID_NEXT_IMAGE)->trigger();
        frame.view().repaint();
        times.ms.push_back(
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
                .count());
        if (times.ms.back() > 16 && browser.currentPicture())
            std::fprintf(stderr, "step over one frame: %.1f ms to %s (%d x %d)\n", times.ms.back(),
                         browser.current()->name.c_str(), browser.currentPicture()->width(),
                         browser.currentPicture()->height());
    }
}

void benchSteps(const fs::path& work) {
    std::map<fs::path, int> folders;
    for (const fs::path& file : bench::sampleFiles(
             [](const fs::path& p) { return supportedExtensionOf(p.string()).has_value(); }))
        ++folders[file.parent_path()];
    StepTimes samples;
    for (const auto& [folder, count] : folders)
        if (count >= 2) stepThrough(folder, samples);
    samples.print("step, sample folders");

    const fs::path large = work / "large";
    fs::create_directories(large);
    const fixtures::Bytes picture = fixtures::jpeg(6000, 4000);
    for (const char* name : {"a.jpg", "b.jpg", "c.jpg"})
        fixtures::writeFile(large / name, picture);
    StepTimes big;
    stepThrough(large, big);
    stepThrough(large, big);
    big.print("step, 6000 x 4000 pictures");
}

void benchMemory(const fs::path& work) {
    const std::vector<fs::path> files = bench::sampleFiles(
        [](const fs::path& p) { return p.extension() == ".CRW" || p.extension() == ".JPG"; });
    if (files.empty()) return;
    const fs::path folder = work / "many";
    fs::create_directories(folder);
    for (int i = 0; i < 2000; ++i) {
        const fs::path& source = files[static_cast<std::size_t>(i) % files.size()];
        char name[32];
        std::snprintf(name, sizeof name, "f%04d%s", i, source.extension().c_str());
        fs::create_symlink(source, folder / name);
    }
    CMainFrame frame(false);
    frame.start(parseCommandLine({}), folder);
    PictureBrowser& browser = frame.view().browser();
    std::vector<long> resident;
    for (int i = 0; i < 300; ++i) {
        waitFor([&] { return browser.nextSlot() && !browser.currentLoadRunning(); });
        frame.action(ID_NEXT_IMAGE)->trigger();
        frame.view().repaint();
        if (i == 20 || i == 299) resident.push_back(residentKiB());
    }
    std::printf("memory, 2000 files                 %ld KiB after 20 steps, %ld KiB after 300\n",
                resident[0], resident[1]);
}

void benchPanes() {
    const std::vector<fs::path> files =
        bench::sampleFiles([](const fs::path& p) { return p.extension() == ".CRW"; });
    if (files.empty()) return;
    setUserSetting("Viewer", "EXIFOnOff", 1);
    CMainFrame frame(false);
    frame.start(parseCommandLine({}), files.front().parent_path());
    PictureBrowser& browser = frame.view().browser();
    StepTimes times;
    for (int i = 0; i < 2 * browser.list().count(); ++i) {
        waitFor([&] { return browser.nextSlot() && !browser.currentLoadRunning(); });
        frame.action(ID_NEXT_IMAGE)->trigger();
        const auto start = std::chrono::steady_clock::now();
        frame.infoPane().repaint();
        times.ms.push_back(
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
                .count());
    }
    times.print("information bar repaint after a step");
    setUserSetting("Viewer", "EXIFOnOff", 0);
}

void benchSlides() {
    const std::vector<fs::path> files =
        bench::sampleFiles([](const fs::path& p) { return p.extension() == ".CRW"; });
    if (files.empty()) return;
    setUserSetting("Slideshow", "Delay", 1);
    CMainFrame frame(true);
    frame.start(parseCommandLine({"-s", files.front().parent_path().string()}), "/");
    std::vector<std::chrono::steady_clock::time_point> shown;
    QObject::connect(&frame.view().browser(), &PictureBrowser::pictureShown,
                     [&] { shown.push_back(std::chrono::steady_clock::now()); });
    constexpr int kSlides = 12;
    waitFor([&] { return shown.size() > kSlides; }, 30000);
    int late = 0;
    double longest = 0;
    for (std::size_t i = 1; i < shown.size(); ++i) {
        const double seconds = std::chrono::duration<double>(shown[i] - shown[i - 1]).count();
        longest = std::max(longest, seconds);
        if (seconds > 1.02) ++late;
    }
    std::printf("slideshow, Delay 1: %zu slides, %d late (over 1.02 s), longest %.3f s\n",
                shown.size() - 1, late, longest);
}

// The child of the start measurement: a viewer that ends after its first painted picture.
int startChild(const char* file) {
    int argc = 1;
    char name[] = "TavrinViewer";
    char* argv[] = {name, nullptr};
    QApplication app(argc, argv);
    CMainFrame frame(false);
    struct FirstPaint : QObject {
        CPictureView* view;
        bool eventFilter(QObject*, QEvent* event) override {
            if (event->type() == QEvent::Paint && view->browser().currentPicture())
                QMetaObject::invokeMethod(qApp, &QCoreApplication::quit, Qt::QueuedConnection);
            return false;
        }
    } watcher;
    watcher.view = &frame.view();
    frame.view().installEventFilter(&watcher);
    const fs::path path = fs::absolute(file);
    frame.start(parseCommandLine({path.filename().string()}), path.parent_path());
    return app.exec();
}

void benchStart(const char* self) {
    const std::vector<fs::path> files =
        bench::sampleFiles([](const fs::path& p) { return p.extension() == ".CRW"; });
    if (files.empty()) return;
    std::vector<double> ms;
    for (int run = 0; run < 5; ++run) {
        const auto start = std::chrono::steady_clock::now();
        const pid_t child = fork();
        if (child == 0) {
            execl(self, self, "--start-child", files.front().c_str(), nullptr);
            _exit(127);
        }
        int status = 0;
        waitpid(child, &status, 0);
        ms.push_back(
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
                .count());
    }
    std::sort(ms.begin(), ms.end());
    std::printf("start to first picture, %s: median %.1f ms (of 5 runs; min %.1f, max %.1f)\n",
                files.front().filename().c_str(), ms[2], ms[0], ms[4]);
}

}  // namespace

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    if (argc == 3 && std::string(argv[1]) == "--start-child") return startChild(argv[2]);
    char pattern[] = "/tmp/tavrin-viewer-bench-XXXXXX";
    const fs::path work = mkdtemp(pattern);
    prepareRegistry(work);
    {
        QApplication app(argc, argv);
        benchSteps(work);
        benchMemory(work);
        benchPanes();
        benchSlides();
    }
    benchStart(argv[0]);
    fs::remove_all(work);
    return 0;
}
