// lc_make_images: draws the product's image resources into a folder, as the
// package ships them under /Library/Application Support/lumicrate12/:
//
//   album.png      the camera bar's album button: two stacked photos
//   whitelock.png  a padlock in white, on a locked album's tile
//   greenlock.png  the same padlock in green
//   move.png       an arrow out of a tray, on an album tile in edit mode
//
// Each is 56 x 56 pixels, drawn for 28 x 28 points at scale 2.

#include <cairo.h>
#include <cmath>
#include <cstdio>
#include <functional>
#include <string>

namespace {

constexpr int kSize = 56;

void roundedRect(cairo_t* cr, double x, double y, double w, double h, double r) {
    cairo_new_sub_path(cr);
    cairo_arc(cr, x + w - r, y + r, r, -M_PI / 2, 0);
    cairo_arc(cr, x + w - r, y + h - r, r, 0, M_PI / 2);
    cairo_arc(cr, x + r, y + h - r, r, M_PI / 2, M_PI);
    cairo_arc(cr, x + r, y + r, r, M_PI, 3 * M_PI / 2);
    cairo_close_path(cr);
}

void album(cairo_t* cr) {
    cairo_set_source_rgb(cr, 1, 1, 1);
    cairo_set_line_width(cr, 3.5);
    roundedRect(cr, 14, 6, 36, 30, 4); // the photo behind
    cairo_stroke(cr);
    roundedRect(cr, 6, 18, 36, 30, 4); // the photo in front, filled with a landscape
    cairo_set_source_rgb(cr, 0, 0, 0);
    cairo_fill_preserve(cr);
    cairo_set_source_rgb(cr, 1, 1, 1);
    cairo_stroke(cr);
    cairo_move_to(cr, 10, 44);
    cairo_line_to(cr, 20, 32);
    cairo_line_to(cr, 27, 39);
    cairo_line_to(cr, 31, 35);
    cairo_line_to(cr, 38, 44);
    cairo_close_path(cr);
    cairo_fill(cr);
    cairo_arc(cr, 33, 26, 3.5, 0, 2 * M_PI);
    cairo_fill(cr);
}

void padlock(cairo_t* cr, double r, double g, double b) {
    cairo_set_source_rgb(cr, r, g, b);
    cairo_set_line_width(cr, 6);
    cairo_arc(cr, 28, 22, 11, M_PI, 2 * M_PI); // the shackle
    cairo_line_to(cr, 39, 28);
    cairo_move_to(cr, 17, 28);
    cairo_line_to(cr, 17, 22);
    cairo_stroke(cr);
    roundedRect(cr, 9, 26, 38, 26, 5); // the body
    cairo_fill(cr);
    cairo_set_operator(cr, CAIRO_OPERATOR_CLEAR); // the keyhole
    cairo_arc(cr, 28, 37, 4, 0, 2 * M_PI);
    cairo_fill(cr);
    cairo_rectangle(cr, 26.5, 38, 3, 8);
    cairo_fill(cr);
    cairo_set_operator(cr, CAIRO_OPERATOR_OVER);
}

void move(cairo_t* cr) {
    cairo_set_source_rgb(cr, 1, 1, 1);
    cairo_set_line_width(cr, 4.5);
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
    cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
    cairo_move_to(cr, 10, 30); // the tray
    cairo_line_to(cr, 10, 48);
    cairo_line_to(cr, 46, 48);
    cairo_line_to(cr, 46, 30);
    cairo_stroke(cr);
    cairo_move_to(cr, 28, 38); // the arrow out of it
    cairo_line_to(cr, 28, 8);
    cairo_move_to(cr, 18, 18);
    cairo_line_to(cr, 28, 8);
    cairo_line_to(cr, 38, 18);
    cairo_stroke(cr);
}

bool write(const std::string& path, const std::function<void(cairo_t*)>& draw) {
    cairo_surface_t* s = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, kSize, kSize);
    cairo_t* cr = cairo_create(s);
    draw(cr);
    cairo_destroy(cr);
    bool ok = cairo_surface_write_to_png(s, path.c_str()) == CAIRO_STATUS_SUCCESS;
    cairo_surface_destroy(s);
    if (!ok) std::fprintf(stderr, "lc_make_images: cannot write %s\n", path.c_str());
    return ok;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: lc_make_images FOLDER\n");
        return 2;
    }
    const std::string folder = argv[1];
    bool ok = write(folder + "/album.png", album);
    ok = write(folder + "/whitelock.png", [](cairo_t* cr) { padlock(cr, 1, 1, 1); }) && ok;
    ok = write(folder + "/greenlock.png", [](cairo_t* cr) { padlock(cr, 0.20, 0.78, 0.35); }) && ok;
    ok = write(folder + "/move.png", move) && ok;
    return ok ? 0 : 1;
}
