/* Makes the media files of the tour example: a JPEG picture (sunset.jpg),
 * a short chime as 8-bit unsigned raw samples at 8000 Hz (chime.raw) and a
 * tiny uncompressed AVI movie (clip.avi). Everything is computed, so the
 * files can be made again at any time:
 *
 *   cc -O2 -o makemedia makemedia.c -ljpeg -lm && ./makemedia
 *
 * run inside examples/. */
#include <math.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <jpeglib.h> /* needs FILE and size_t declared first */

static const double pi = 3.14159265358979323846;

static double clamp01(double v) { return v < 0 ? 0 : v > 1 ? 1 : v; }
static double mix(double a, double b, double t) { return a + (b - a) * t; }

/* A sunset over two ranges of hills: a sky that turns from night blue to
 * orange at the horizon, a sun with a soft glow and dark hills in front. */
static void sunset(int x, int y, int w, int h, unsigned char rgb[3])
{
    const double u = (double)x / w, v = (double)y / h; /* v grows downwards */
    const double horizon = 0.68;
    double r, g, b;
    double t = clamp01(v / horizon);
    if (t < 0.55) {
        double s = t / 0.55;
        r = mix(0.10, 0.55, s), g = mix(0.12, 0.25, s), b = mix(0.35, 0.50, s);
    } else {
        double s = (t - 0.55) / 0.45;
        r = mix(0.55, 1.00, s), g = mix(0.25, 0.62, s), b = mix(0.50, 0.25, s);
    }
    const double sx = 0.66 * w, sy = 0.58 * h, radius = 0.11 * h;
    const double d = hypot(x - sx, y - sy);
    if (d < radius) {
        r = 1.0, g = mix(0.95, 0.80, (y - (sy - radius)) / (2 * radius)), b = 0.55;
    } else {
        double glow = exp(-(d - radius) / (0.12 * h)) * 0.55;
        r = mix(r, 1.0, glow), g = mix(g, 0.85, glow), b = mix(b, 0.55, glow);
    }
    const double far = horizon - 0.10 + 0.05 * sin(u * 7.0 + 0.6) + 0.03 * sin(u * 17.0);
    const double near = horizon + 0.06 + 0.07 * sin(u * 4.2 + 2.0) + 0.02 * sin(u * 23.0 + 1.0);
    if (v > near) {
        double s = clamp01((v - near) / 0.3);
        r = mix(0.16, 0.08, s), g = mix(0.10, 0.05, s), b = mix(0.22, 0.12, s);
    } else if (v > far) {
        r = 0.38, g = 0.20, b = 0.36;
    }
    rgb[0] = (unsigned char)lround(clamp01(r) * 255);
    rgb[1] = (unsigned char)lround(clamp01(g) * 255);
    rgb[2] = (unsigned char)lround(clamp01(b) * 255);
}

static int writeJpeg(const char *name, int w, int h)
{
    FILE *f = fopen(name, "wb");
    if (!f)
        return 0;
    struct jpeg_compress_struct c;
    struct jpeg_error_mgr err;
    c.err = jpeg_std_error(&err);
    jpeg_create_compress(&c);
    jpeg_stdio_dest(&c, f);
    c.image_width = (JDIMENSION)w;
    c.image_height = (JDIMENSION)h;
    c.input_components = 3;
    c.in_color_space = JCS_RGB;
    jpeg_set_defaults(&c);
    jpeg_set_quality(&c, 82, TRUE);
    jpeg_start_compress(&c, TRUE);
    unsigned char *row = malloc((size_t)w * 3);
    while (c.next_scanline < c.image_height) {
        for (int x = 0; x < w; ++x)
            sunset(x, (int)c.next_scanline, w, h, row + 3 * x);
        JSAMPROW rows[1] = {row};
        jpeg_write_scanlines(&c, rows, 1);
    }
    jpeg_finish_compress(&c);
    jpeg_destroy_compress(&c);
    free(row);
    return fclose(f) == 0;
}

/* Three rising notes (C, E, G) that ring out, as unsigned 8-bit samples. */
static int writeChime(const char *name)
{
    const int rate = 8000, length = rate * 3 / 2;
    const double notes[3] = {523.25, 659.25, 783.99};
    FILE *f = fopen(name, "wb");
    if (!f)
        return 0;
    for (int i = 0; i < length; ++i) {
        double t = (double)i / rate, s = 0;
        for (int n = 0; n < 3; ++n) {
            double start = 0.18 * n;
            if (t < start)
                continue;
            double age = t - start, attack = clamp01(age / 0.01);
            s += attack * exp(-age * 3.2) * (sin(2 * pi * notes[n] * age) + 0.3 * sin(4 * pi * notes[n] * age));
        }
        double fade = clamp01((double)(length - i) / (rate * 0.05));
        fputc((int)lround(128 + 40 * s * fade), f);
    }
    return fclose(f) == 0;
}

static void put16(unsigned char *p, unsigned v) { p[0] = v & 0xFF, p[1] = (v >> 8) & 0xFF; }
static void put32(unsigned char *p, uint32_t v)
{
    for (int k = 0; k < 4; ++k)
        p[k] = (v >> (8 * k)) & 0xFF;
}

/* An uncompressed 24-bit AVI: a small sun rising over the horizon. */
static int writeClip(const char *name)
{
    enum { W = 40, H = 30, FRAMES = 8, FPS = 4 };
    const uint32_t frameBytes = W * H * 3; /* rows of 120 bytes: no padding */
    const uint32_t hdrl = 4 + (8 + 56) + (8 + 4 + (8 + 56) + (8 + 40));
    const uint32_t movi = 4 + FRAMES * (8 + frameBytes);
    const uint32_t idx1 = FRAMES * 16;
    const uint32_t riff = 4 + (8 + hdrl) + (8 + movi) + (8 + idx1);
    unsigned char *buf = calloc(1, 8 + riff), *p = buf;

    memcpy(p, "RIFF", 4), put32(p + 4, riff), memcpy(p + 8, "AVI ", 4), p += 12;
    memcpy(p, "LIST", 4), put32(p + 4, hdrl), memcpy(p + 8, "hdrl", 4), p += 12;
    memcpy(p, "avih", 4), put32(p + 4, 56), p += 8;
    put32(p, 1000000 / FPS), put32(p + 4, frameBytes * FPS), put32(p + 12, 0x10 /* has index */);
    put32(p + 16, FRAMES), put32(p + 24, 1), put32(p + 28, frameBytes), put32(p + 32, W), put32(p + 36, H);
    p += 56;
    memcpy(p, "LIST", 4), put32(p + 4, 4 + (8 + 56) + (8 + 40)), memcpy(p + 8, "strl", 4), p += 12;
    memcpy(p, "strh", 4), put32(p + 4, 56), p += 8;
    memcpy(p, "vids", 4), memcpy(p + 4, "DIB ", 4), put32(p + 20, 1), put32(p + 24, FPS), put32(p + 32, FRAMES);
    put32(p + 36, frameBytes), put32(p + 40, 0xFFFFFFFFu), put16(p + 52, W), put16(p + 54, H);
    p += 56;
    memcpy(p, "strf", 4), put32(p + 4, 40), p += 8;
    put32(p, 40), put32(p + 4, W), put32(p + 8, H), put16(p + 12, 1), put16(p + 14, 24), put32(p + 20, frameBytes);
    p += 40;

    memcpy(p, "LIST", 4), put32(p + 4, movi), memcpy(p + 8, "movi", 4);
    unsigned char *moviStart = p + 8;
    p += 12;
    uint32_t offsets[FRAMES];
    for (int n = 0; n < FRAMES; ++n) {
        offsets[n] = (uint32_t)(p - moviStart);
        memcpy(p, "00db", 4), put32(p + 4, frameBytes), p += 8;
        for (int y = 0; y < H; ++y) { /* bottom-up rows, BGR pixels */
            int top = H - 1 - y;
            for (int x = 0; x < W; ++x) {
                unsigned char rgb[3];
                sunset(x, top + (FRAMES - 1 - n) * 2, W, H + (FRAMES - 1) * 2, rgb);
                *p++ = rgb[2], *p++ = rgb[1], *p++ = rgb[0];
            }
        }
    }
    memcpy(p, "idx1", 4), put32(p + 4, idx1), p += 8;
    for (int n = 0; n < FRAMES; ++n, p += 16)
        memcpy(p, "00db", 4), put32(p + 4, 0x10 /* key frame */), put32(p + 8, offsets[n]), put32(p + 12, frameBytes);

    FILE *f = fopen(name, "wb");
    int ok = f && fwrite(buf, 1, (size_t)(p - buf), f) == (size_t)(p - buf);
    if (f && fclose(f) != 0)
        ok = 0;
    free(buf);
    return ok;
}

int main(void)
{
    if (!writeJpeg("sunset.jpg", 480, 320) || !writeChime("chime.raw") || !writeClip("clip.avi")) {
        fprintf(stderr, "makemedia: a file could not be written\n");
        return 1;
    }
    return 0;
}
