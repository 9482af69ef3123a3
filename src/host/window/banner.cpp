#include "host/window/banner.h"

#include "host/window/resource_images.h"
#include "window/resources.h"

namespace verolink::host {

namespace {

struct BannerState {
  cairo_surface_t* picture = nullptr;
  std::function<void()> onClick;
  ~BannerState() {
    if (picture) cairo_surface_destroy(picture);
  }
};

cairo_surface_t* BannerSurface() {
  GdkTexture* texture = TextureOf(resources::BannerPng());
  if (texture == nullptr) return nullptr;
  const int w = gdk_texture_get_width(texture), h = gdk_texture_get_height(texture);
  cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, w, h);
  gdk_texture_download(texture, cairo_image_surface_get_data(surface),
                       cairo_image_surface_get_stride(surface));
  cairo_surface_mark_dirty(surface);
  g_object_unref(texture);
  return surface;
}

void Draw(GtkDrawingArea*, cairo_t* cr, int width, int height, gpointer data) {
  cairo_surface_t* picture = static_cast<BannerState*>(data)->picture;
  if (picture == nullptr) return;
  // Cairo draws at the display's scale; nearest pixels keep the picture sharp.
  cairo_scale(cr, double(width) / cairo_image_surface_get_width(picture),
              double(height) / cairo_image_surface_get_height(picture));
  cairo_set_source_surface(cr, picture, 0, 0);
  cairo_pattern_set_filter(cairo_get_source(cr), CAIRO_FILTER_NEAREST);
  cairo_paint(cr);
}

void Released(GtkGestureClick* gesture, int, double x, double y, gpointer data) {
  // A click is a press and a release both on the banner.
  GtkWidget* widget = gtk_event_controller_get_widget(GTK_EVENT_CONTROLLER(gesture));
  auto* state = static_cast<BannerState*>(data);
  if (gtk_widget_contains(widget, x, y) && state->onClick) state->onClick();
}

}  // namespace

GtkWidget* NewBanner(int width, int height, GdkCursor* cursor, const char* name,
                     std::function<void()> onClick) {
  GtkWidget* banner = GTK_WIDGET(
      g_object_new(GTK_TYPE_DRAWING_AREA, "accessible-role", GTK_ACCESSIBLE_ROLE_IMG, nullptr));
  auto* state = new BannerState{BannerSurface(), std::move(onClick)};
  g_object_set_data_full(G_OBJECT(banner), "verolink-banner", state,
                         [](gpointer p) { delete static_cast<BannerState*>(p); });
  gtk_drawing_area_set_content_width(GTK_DRAWING_AREA(banner), width);
  gtk_drawing_area_set_content_height(GTK_DRAWING_AREA(banner), height);
  gtk_drawing_area_set_draw_func(GTK_DRAWING_AREA(banner), Draw, state, nullptr);
  if (cursor) gtk_widget_set_cursor(banner, cursor);
  gtk_accessible_update_property(GTK_ACCESSIBLE(banner), GTK_ACCESSIBLE_PROPERTY_LABEL, name, -1);
  GtkGesture* click = gtk_gesture_click_new();
  gtk_gesture_single_set_button(GTK_GESTURE_SINGLE(click), GDK_BUTTON_PRIMARY);
  g_signal_connect(click, "released", G_CALLBACK(Released), state);
  gtk_widget_add_controller(banner, GTK_EVENT_CONTROLLER(click));
  return banner;
}

}  // namespace verolink::host
