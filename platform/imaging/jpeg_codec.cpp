#include <csetjmp>
#include <cstdio>
// jpeglib.h needs FILE and size_t declared first.
#include <jpeglib.h>

#include <cstdlib>
#include <vector>

#include "platform/imaging/codecs.hpp"

namespace tavrin::imaging::detail {
namespace {

// Everything the decoder touches after setjmp lives here, behind a reference, so that its
// values survive the jump back.
struct JpegJob {
    jpeg_decompress_struct cinfo{};
    jpeg_error_mgr errors{};
    std::jmp_buf jump{};
    std::unique_ptr<Bitmap> bitmap;
    std::vector<std::uint8_t> icc;
    std::vector<std::uint8_t> cmykRow;
    Status status = Status::GenericError;
    bool headerOnly = false;
};

[[noreturn]] void onError(j_common_ptr cinfo) {
    std::longjmp(static_cast<JpegJob*>(cinfo->client_data)->jump, 1);
}

void onMessage(j_common_ptr, int) {}  // warnings (premature end of data) are not reported

int scaleDenominator(const jpeg_decompress_struct& c, const DecodeOptions& options) {
    if (options.minWidth <= 0 || options.minHeight <= 0) return 1;
    for (int d : {8, 4, 2}) {
        if ((c.image_width + d - 1) / d >= static_cast<unsigned>(options.minWidth) &&
            (c.image_height + d - 1) / d >= static_cast<unsigned>(options.minHeight)) {
            return d;
        }
    }
    return 1;
}

// CMYK samples as Adobe writes them are inverted (0 = full ink).
void cmykToBgr(const std::uint8_t* in, std::uint8_t* out, unsigned width, bool inverted) {
    for (unsigned x = 0; x < width; ++x, in += 4, out += 3) {
        const unsigned k = inverted ? in[3] : 255 - in[3];
        for (int c = 0; c < 3; ++c) {
            const unsigned v = inverted ? in[c] : 255 - in[c];
            out[2 - c] = static_cast<std::uint8_t>((v * k + 127) / 255);
        }
    }
}

void run(JpegJob& job, std::span<const std::uint8_t> data, const DecodeOptions& options) {
    jpeg_decompress_struct& c = job.cinfo;
    c.err = jpeg_std_error(&job.errors);
    job.errors.error_exit = onError;
    job.errors.emit_message = onMessage;
    c.client_data = &job;
    if (setjmp(job.jump)) {
        job.bitmap.reset();
        job.status = Status::InvalidParameter;
        return;
    }
    jpeg_create_decompress(&c);
    jpeg_mem_src(&c, data.data(), static_cast<unsigned long>(data.size()));
    jpeg_save_markers(&c, JPEG_APP0 + 2, 0xFFFF);
    jpeg_read_header(&c, TRUE);
    if (!Bitmap::sizeAllowed(c.image_width, c.image_height, data.size())) {
        job.status = Status::ValueOverflow;
        return;
    }
    if (job.headerOnly) {
        job.status = Status::Ok;
        return;
    }
    const bool cmyk = c.jpeg_color_space == JCS_CMYK || c.jpeg_color_space == JCS_YCCK;
    c.out_color_space = cmyk ? JCS_CMYK : JCS_EXT_BGR;
    c.scale_num = 1;
    c.scale_denom = static_cast<unsigned>(scaleDenominator(c, options));
    if (c.scale_denom > 1) {
        // A reduced picture is drawn smaller still: the fast paths do not show.
        c.do_fancy_upsampling = FALSE;
        c.dct_method = JDCT_IFAST;
    }
    if (options.applyColorProfile) {
        JOCTET* profile = nullptr;
        unsigned length = 0;
        if (jpeg_read_icc_profile(&c, &profile, &length)) {
            job.icc.assign(profile, profile + length);
            std::free(profile);
        }
    }
    jpeg_start_decompress(&c);
    job.bitmap =
        Bitmap::createUnfilled(static_cast<int>(c.output_width), static_cast<int>(c.output_height));
    if (!job.bitmap) {
        job.status = Status::OutOfMemory;
        return;
    }
    if (cmyk) job.cmykRow.resize(static_cast<std::size_t>(c.output_width) * 4);
    while (c.output_scanline < c.output_height) {
        std::uint8_t* row = job.bitmap->row(static_cast<int>(c.output_scanline));
        JSAMPROW target = cmyk ? job.cmykRow.data() : row;
        jpeg_read_scanlines(&c, &target, 1);
        if (cmyk) cmykToBgr(job.cmykRow.data(), row, c.output_width, c.saw_Adobe_marker);
    }
    jpeg_finish_decompress(&c);
    job.status = Status::Ok;
}

}  // namespace

bool isJpeg(std::span<const std::uint8_t> head) {
    return head.size() >= 3 && head[0] == 0xFF && head[1] == 0xD8 && head[2] == 0xFF;
}

Decoded decodeJpeg(std::span<const std::uint8_t> data, const DecodeOptions& options) {
    auto job = std::make_unique<JpegJob>();
    run(*job, data, options);
    jpeg_destroy_decompress(&job->cinfo);
    if (job->status != Status::Ok) return failed(job->status);
    // A CMYK profile describes the samples before their conversion, not the result.
    if (!job->icc.empty()) applyIccProfile(*job->bitmap, job->icc);
    return Decoded{Status::Ok, std::move(job->bitmap)};
}

Probed probeJpeg(std::span<const std::uint8_t> data) {
    auto job = std::make_unique<JpegJob>();
    job->headerOnly = true;
    run(*job, data, DecodeOptions{});
    const Probed result{job->status, static_cast<int>(job->cinfo.image_width),
                        static_cast<int>(job->cinfo.image_height)};
    jpeg_destroy_decompress(&job->cinfo);
    return result.status == Status::Ok ? result : Probed{result.status, 0, 0};
}

}  // namespace tavrin::imaging::detail
