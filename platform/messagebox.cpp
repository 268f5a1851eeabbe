#include "messagebox.h"

#include <cstdio>
#include <gtk/gtk.h>

namespace {
ErrorBoxHandler errorBoxHandler = nullptr;
}

void setErrorBoxHandler(ErrorBoxHandler handler)
{
    errorBoxHandler = handler;
}

void showErrorBox(const std::string& text)
{
    if (errorBoxHandler) {
        errorBoxHandler(text);
        return;
    }
    if (!gtk_init_check(nullptr, nullptr)) {
        std::fprintf(stderr, "Error: %s\n", text.c_str());
        std::fflush(stderr);
        return;
    }
    GtkWidget* dialog = gtk_message_dialog_new(nullptr, GTK_DIALOG_MODAL, GTK_MESSAGE_ERROR,
                                               GTK_BUTTONS_OK, "%s", text.c_str());
    gtk_window_set_title(GTK_WINDOW(dialog), "Error");
    // GTK 3.24 shows no icon in message dialogs unless one is set
    GtkWidget* icon = gtk_image_new_from_icon_name("dialog-error", GTK_ICON_SIZE_DIALOG);
    gtk_widget_show(icon);
    G_GNUC_BEGIN_IGNORE_DEPRECATIONS
    gtk_message_dialog_set_image(GTK_MESSAGE_DIALOG(dialog), icon);
    G_GNUC_END_IGNORE_DEPRECATIONS
    gtk_window_set_icon_name(GTK_WINDOW(dialog), "dialog-error");
    gtk_window_set_position(GTK_WINDOW(dialog), GTK_WIN_POS_CENTER);
    gtk_window_set_keep_above(GTK_WINDOW(dialog), TRUE);
    gtk_dialog_run(GTK_DIALOG(dialog));
    gtk_widget_destroy(dialog);
    while (gtk_events_pending())
        gtk_main_iteration();
}
