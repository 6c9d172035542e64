// lcprefs_make_banner: draws the settings pane's banner (banner.png, 750 x
// 250 pixels: the pane's accent behind a padlock and the name) into a folder,
// as the package ships it in lumicrate12prefs.bundle.

#include <cairo.h>
#include <cmath>
#include <cstdio>
#include <string>

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: lcprefs_make_banner FOLDER\n");
        return 2;
    }
    constexpr int kWidth = 750, kHeight = 250;
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, kWidth, kHeight);
    cairo_t* cr = cairo_create(surface);
    cairo_pattern_t* sky = cairo_pattern_create_linear(0, 0, kWidth, kHeight);
    cairo_pattern_add_color_stop_rgb(sky, 0, 52 / 255.0, 160 / 255.0, 138 / 255.0);
    cairo_pattern_add_color_stop_rgb(sky, 1, 22 / 255.0, 92 / 255.0, 110 / 255.0);
    cairo_set_source(cr, sky);
    cairo_paint(cr);
    cairo_pattern_destroy(sky);

    // A padlock on the left.
    cairo_set_source_rgb(cr, 1, 1, 1);
    cairo_set_line_width(cr, 16);
    cairo_arc(cr, 150, 105, 38, M_PI, 2 * M_PI);
    cairo_move_to(cr, 112, 105);
    cairo_line_to(cr, 112, 125);
    cairo_move_to(cr, 188, 105);
    cairo_line_to(cr, 188, 125);
    cairo_stroke(cr);
    cairo_rectangle(cr, 90, 120, 120, 90);
    cairo_fill(cr);
    cairo_set_source_rgb(cr, 52 / 255.0, 160 / 255.0, 138 / 255.0);
    cairo_arc(cr, 150, 158, 11, 0, 2 * M_PI);
    cairo_fill(cr);
    cairo_rectangle(cr, 145, 160, 10, 28);
    cairo_fill(cr);

    // The name and a line under it.
    cairo_set_source_rgb(cr, 1, 1, 1);
    cairo_select_font_face(cr, "DejaVu Sans", CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_BOLD);
    cairo_set_font_size(cr, 64);
    cairo_move_to(cr, 250, 140);
    cairo_show_text(cr, "lumicrate12");
    cairo_select_font_face(cr, "DejaVu Sans", CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_NORMAL);
    cairo_set_font_size(cr, 28);
    cairo_move_to(cr, 252, 185);
    cairo_show_text(cr, "Locked albums for Photos");

    cairo_destroy(cr);
    std::string path = std::string(argv[1]) + "/banner.png";
    cairo_status_t status = cairo_surface_write_to_png(surface, path.c_str());
    cairo_surface_destroy(surface);
    if (status != CAIRO_STATUS_SUCCESS) {
        std::fprintf(stderr, "lcprefs_make_banner: cannot write %s\n", path.c_str());
        return 1;
    }
    return 0;
}
