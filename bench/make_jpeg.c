/*
 * make_jpeg OUT.jpg
 *
 * Writes the benchmark picture: a 640x480 baseline RGB JPEG, a smooth
 * gradient with deterministic noise on top, about 50 KB.
 *
 * The noise is what gives the file its size (a pure gradient compresses to a
 * few KB); the quality is then searched so the file lands near 50 KB rather
 * than being hard-wired, since the size per quality depends on the libjpeg
 * build.  Baseline (not progressive) and three components because that is
 * the common JPEG every PDF writer must embed as is.
 */
#include <stdio.h>
#include <stdlib.h>

#include <jpeglib.h>

enum { W = 640, H = 480, TARGET = 50 * 1024 };

static unsigned char pixels[W * H * 3];

static void paint(void)
{
    unsigned s = 12345u;
    for (int y = 0; y < H; y++) {
        for (int x = 0; x < W; x++) {
            s = s * 1664525u + 1013904223u;
            int noise = (int)((s >> 24) % 25u) - 12;
            int r = x * 255 / (W - 1) + noise;
            int g = y * 255 / (H - 1) + noise / 2;
            int b = 255 - (x + y) * 255 / (W + H - 2) - noise;
            unsigned char *px = pixels + ((size_t)y * W + (size_t)x) * 3;
            px[0] = (unsigned char)(r < 0 ? 0 : r > 255 ? 255 : r);
            px[1] = (unsigned char)(g < 0 ? 0 : g > 255 ? 255 : g);
            px[2] = (unsigned char)(b < 0 ? 0 : b > 255 ? 255 : b);
        }
    }
}

/* Encodes the picture at `quality` into a malloc'ed buffer. */
static unsigned long encode(int quality, unsigned char **data)
{
    struct jpeg_compress_struct c;
    struct jpeg_error_mgr err;
    c.err = jpeg_std_error(&err);
    jpeg_create_compress(&c);
    *data = NULL;
    unsigned long size = 0;
    jpeg_mem_dest(&c, data, &size);
    c.image_width = W;
    c.image_height = H;
    c.input_components = 3;
    c.in_color_space = JCS_RGB;
    jpeg_set_defaults(&c); /* baseline, Huffman, JFIF */
    jpeg_set_quality(&c, quality, TRUE);
    jpeg_start_compress(&c, TRUE);
    while (c.next_scanline < c.image_height) {
        JSAMPROW row = pixels + (size_t)c.next_scanline * W * 3;
        jpeg_write_scanlines(&c, &row, 1);
    }
    jpeg_finish_compress(&c);
    jpeg_destroy_compress(&c);
    return size;
}

int main(int argc, char **argv)
{
    if (argc != 2) {
        fprintf(stderr, "usage: %s OUT.jpg\n", argv[0]);
        return 2;
    }
    paint();

    /* Pick the quality whose size is closest to the target. */
    int best_q = 75;
    unsigned long best_diff = (unsigned long)-1;
    for (int q = 10; q <= 95; q += 1) {
        unsigned char *data;
        unsigned long size = encode(q, &data);
        free(data);
        unsigned long diff = size > TARGET ? size - TARGET : TARGET - size;
        if (diff < best_diff) {
            best_diff = diff;
            best_q = q;
        }
    }

    unsigned char *data;
    unsigned long size = encode(best_q, &data);
    FILE *f = fopen(argv[1], "wb");
    if (!f || fwrite(data, 1, size, f) != size || fclose(f) != 0) {
        perror(argv[1]);
        return 1;
    }
    free(data);
    fprintf(stderr, "%s: %dx%d quality %d, %lu bytes\n", argv[1], W, H, best_q,
            size);
    return 0;
}
