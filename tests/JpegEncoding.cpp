#include "JpegEncoding.h"

#include <cstdlib>

std::string encodeJpeg(const PictureToEncode& picture) {
    jpeg_compress_struct encoder;
    jpeg_error_mgr errors;
    encoder.err = jpeg_std_error(&errors);
    jpeg_create_compress(&encoder);
    unsigned char* out = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&encoder, &out, &size);
    encoder.image_width = static_cast<JDIMENSION>(picture.width);
    encoder.image_height = static_cast<JDIMENSION>(picture.height);
    encoder.input_components = picture.components;
    encoder.in_color_space = picture.given;
    jpeg_set_defaults(&encoder);
    jpeg_set_colorspace(&encoder, picture.stored);
    if (picture.fullResolution) {
        for (int c = 0; c < encoder.num_components; ++c)
            encoder.comp_info[c].h_samp_factor = encoder.comp_info[c].v_samp_factor = 1;
    }
    jpeg_set_quality(&encoder, picture.quality, TRUE);
    jpeg_start_compress(&encoder, TRUE);
    const std::size_t rowSamples = static_cast<std::size_t>(picture.width) * picture.components;
    while (encoder.next_scanline < encoder.image_height) {
        auto row = const_cast<JSAMPROW>(picture.samples.data() + encoder.next_scanline * rowSamples);
        jpeg_write_scanlines(&encoder, &row, 1);
    }
    jpeg_finish_compress(&encoder);
    std::string jpeg(reinterpret_cast<const char*>(out), size);
    jpeg_destroy_compress(&encoder);
    std::free(out);
    return jpeg;
}
