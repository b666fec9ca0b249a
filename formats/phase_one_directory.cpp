#include "formats/phase_one_directory.hpp"

#include "formats/container_limits.hpp"

namespace tavrin::formats {

void walkPhaseOneDirectory(FileReader& f, std::uint64_t base,
                           const std::function<void(const PhaseOneEntry&)>& visit) {
    f.seek(base + 8);
    f.seek(f.readU32() + base);
    const std::uint32_t entries = f.readU32();
    f.readU32();
    for (std::uint32_t e = 0; e < entries && e < kMaxPhaseOneEntries && !f.atEnd(); ++e) {
        PhaseOneEntry entry;
        entry.tag = f.readU32();
        entry.type = f.readU32();
        entry.length = f.readU32();
        entry.data = f.readU32();
        const std::uint64_t next = f.tell();
        visit(entry);
        f.seek(next);
    }
}

}  // namespace tavrin::formats
