/* The yardstick for scripts/measure-startup.sh: the least a GTK 4 program
 * does to show a window holding the main window's controls (a 300 x 100
 * picture, two ticked check boxes, a focused button), with nothing else. */
#include <gtk/gtk.h>

int main(void) {
  gtk_init();
  GtkWidget* window = gtk_window_new();
  gtk_window_set_title(GTK_WINDOW(window), "Verolink PPPoE 1.00");
  gtk_window_set_resizable(GTK_WINDOW(window), FALSE);
  GtkWidget* column = gtk_box_new(GTK_ORIENTATION_VERTICAL, 6);
  GtkWidget* picture = gtk_drawing_area_new();
  gtk_drawing_area_set_content_width(GTK_DRAWING_AREA(picture), 300);
  gtk_drawing_area_set_content_height(GTK_DRAWING_AREA(picture), 100);
  gtk_box_append(GTK_BOX(column), picture);
  const char* boxes[] = {"Включить брандмауэр", "Ярлык на рабочий стол"};
  for (int i = 0; i < 2; ++i) {
    GtkWidget* box = gtk_check_button_new_with_label(boxes[i]);
    gtk_check_button_set_active(GTK_CHECK_BUTTON(box), TRUE);
    gtk_box_append(GTK_BOX(column), box);
  }
  GtkWidget* button = gtk_button_new_with_label("Создать PPPoE подключение к Интернет");
  gtk_box_append(GTK_BOX(column), button);
  gtk_window_set_child(GTK_WINDOW(window), column);
  gtk_window_present(GTK_WINDOW(window));
  gtk_widget_grab_focus(button);
  while (g_list_model_get_n_items(gtk_window_get_toplevels()) > 0)
    g_main_context_iteration(NULL, TRUE);
  return 0;
}
