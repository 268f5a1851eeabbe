#include "dialog.h"

#include <climits>
#include <cstdio>
#include <gtk/gtk.h>
#include <string>
#include <unistd.h>

#include "choice.h"
#include "command.h"
#include "displaymode.h"

namespace {

// The dialog's size and its controls' rectangles, in dialog units.
struct Rect {
    int x, y, width, height;
};
const Rect dialogSize = {0, 0, 195, 228};
const Rect exitRect = {20, 171, 154, 46};
const Rect playRect = {20, 118, 154, 46};
const Rect driverLabelRect = {22, 20, 44, 13};
const Rect modeLabelRect = {22, 55, 46, 15};
const Rect driverListRect = {52, 35, 106, 43};  // heights include the dropped-down list
const Rect modeListRect = {52, 72, 106, 111};
const Rect fullRect = {52, 92, 94, 15};

struct Controls {
    GtkWidget* window;
    GtkWidget* exitButton;
    GtkWidget* playButton;
    GtkWidget* driverList;
    GtkWidget* modeList;
    GtkWidget* fullBox;
    bool ended;
};
Controls controls;

// Dialog units follow the font as Windows measures it: a quarter of the average width of the
// Latin letters across, an eighth of the font height down.
struct BaseUnits {
    int x, y;
};

BaseUnits fontBaseUnits(GtkWidget* widget)
{
    PangoLayout* layout =
        gtk_widget_create_pango_layout(widget, "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
    int width = 0, height = 0;
    pango_layout_get_pixel_size(layout, &width, &height);
    g_object_unref(layout);
    PangoContext* context = gtk_widget_get_pango_context(widget);
    PangoFontMetrics* metrics = pango_context_get_metrics(
        context, pango_context_get_font_description(context), nullptr);
    const int fontHeight =
        PANGO_PIXELS(pango_font_metrics_get_ascent(metrics) + pango_font_metrics_get_descent(metrics));
    pango_font_metrics_unref(metrics);
    BaseUnits units = {(width + 26) / 52, fontHeight > 0 ? fontHeight : height};
    if (units.x <= 0 || units.y <= 0)
        units = {6, 13};  // MS Sans Serif 8 at 96 dpi
    return units;
}

int toPixelsX(const BaseUnits& units, int x) { return (x * units.x + 2) / 4; }
int toPixelsY(const BaseUnits& units, int y) { return (y * units.y + 4) / 8; }

void place(GtkWidget* fixed, GtkWidget* control, const Rect& rect, const BaseUnits& units,
           bool useHeight)
{
    gtk_widget_set_size_request(control, toPixelsX(units, rect.width),
                                useHeight ? toPixelsY(units, rect.height) : -1);
    gtk_fixed_put(GTK_FIXED(fixed), control, toPixelsX(units, rect.x), toPixelsY(units, rect.y));
}

DialogChoice readControls()
{
    DialogChoice choice;
    choice.driverIndex = gtk_combo_box_get_active(GTK_COMBO_BOX(controls.driverList));
    choice.modeIndex = gtk_combo_box_get_active(GTK_COMBO_BOX(controls.modeList));
    choice.full = gtk_toggle_button_get_active(GTK_TOGGLE_BUTTON(controls.fullBox));
    return choice;
}

// Ending only hides the window; the controls live on until the command has saved them.
void endDialog()
{
    controls.ended = true;
    gtk_widget_hide(controls.window);
    gtk_main_quit();
}

void runCommand(LauncherCommand command)
{
    if (controls.ended)
        return;
    launcherCommand(command, readControls(), endDialog);
}

void onExit(GtkButton*, gpointer) { runCommand(commandExit); }
void onPlay(GtkButton*, gpointer) { runCommand(commandPlay); }

gboolean onDelete(GtkWidget*, GdkEvent*, gpointer)
{
    runCommand(commandClose);
    return TRUE;
}

gboolean onKeyPress(GtkWidget* window, GdkEventKey* event, gpointer)
{
    switch (event->keyval) {
    case GDK_KEY_Escape:
        return TRUE;  // no Cancel: only the close box, Exit and Play end the dialog
    case GDK_KEY_Return:
    case GDK_KEY_KP_Enter:
    case GDK_KEY_ISO_Enter: {
        // no default button: Enter presses only a focused button (GTK would otherwise also
        // open a focused drop-down list)
        GtkWidget* focus = gtk_window_get_focus(GTK_WINDOW(window));
        return focus != controls.exitButton && focus != controls.playButton;
    }
    default:
        return FALSE;
    }
}

// A Windows program carries its icon inside; ours lies in the media folder beside the executable.
void setIcon(GtkWidget* window)
{
    char exe[PATH_MAX + 1] = {0};
    const ssize_t length = readlink("/proc/self/exe", exe, PATH_MAX);
    if (length <= 0)
        return;
    std::string path(exe, size_t(length));
    path = path.substr(0, path.rfind('/') + 1) + "media/icon48.png";
    GError* error = nullptr;
    if (!gtk_window_set_icon_from_file(GTK_WINDOW(window), path.c_str(), &error)) {
        std::printf("Warning: launcher icon %s could not be loaded.\n", path.c_str());
        std::fflush(stdout);
        g_clear_error(&error);
    }
}

}  // namespace

bool runLauncherDialog()
{
    if (!gtk_init_check(nullptr, nullptr)) {
        std::fprintf(stderr, "Error: the launcher window could not be opened.\n");
        return false;
    }
    controls = Controls();
    GtkWidget* window = gtk_window_new(GTK_WINDOW_TOPLEVEL);
    controls.window = window;
    gtk_window_set_title(GTK_WINDOW(window), "Zarvik Launcher");
    gtk_window_set_position(GTK_WINDOW(window), GTK_WIN_POS_CENTER);
    gtk_window_set_resizable(GTK_WINDOW(window), TRUE);
    setIcon(window);

    const BaseUnits units = fontBaseUnits(window);
    GtkWidget* fixed = gtk_fixed_new();
    gtk_widget_set_size_request(fixed, toPixelsX(units, dialogSize.width),
                                toPixelsY(units, dialogSize.height));
    gtk_container_add(GTK_CONTAINER(window), fixed);

    controls.exitButton = gtk_button_new_with_label("Exit");
    controls.playButton = gtk_button_new_with_label("Play");
    GtkWidget* driverLabel = gtk_label_new("Video driver");
    GtkWidget* modeLabel = gtk_label_new("Screen mode");
    controls.driverList = gtk_combo_box_text_new();
    controls.modeList = gtk_combo_box_text_new();
    controls.fullBox = gtk_check_button_new_with_label("Full screen");
    gtk_label_set_xalign(GTK_LABEL(driverLabel), 0.0f);
    gtk_label_set_xalign(GTK_LABEL(modeLabel), 0.0f);
    gtk_label_set_yalign(GTK_LABEL(driverLabel), 0.0f);
    gtk_label_set_yalign(GTK_LABEL(modeLabel), 0.0f);

    place(fixed, controls.exitButton, exitRect, units, true);
    place(fixed, controls.playButton, playRect, units, true);
    place(fixed, driverLabel, driverLabelRect, units, true);
    place(fixed, modeLabel, modeLabelRect, units, true);
    // a closed combo box is one line high; the template's height is its open list
    place(fixed, controls.driverList, driverListRect, units, false);
    place(fixed, controls.modeList, modeListRect, units, false);
    place(fixed, controls.fullBox, fullRect, units, true);

    // Tab goes in template order, whatever the positions say
    GList* chain = nullptr;
    for (GtkWidget* w : {controls.exitButton, controls.playButton, controls.driverList,
                         controls.modeList, controls.fullBox})
        chain = g_list_append(chain, w);
    G_GNUC_BEGIN_IGNORE_DEPRECATIONS
    gtk_container_set_focus_chain(GTK_CONTAINER(fixed), chain);
    G_GNUC_END_IGNORE_DEPRECATIONS
    g_list_free(chain);

    for (const char* entry : driverEntries)
        gtk_combo_box_text_append_text(GTK_COMBO_BOX_TEXT(controls.driverList), entry);
    for (const DisplayMode& mode : displayModes)
        gtk_combo_box_text_append_text(GTK_COMBO_BOX_TEXT(controls.modeList), mode.label.c_str());

    DialogChoice choice;
    fillDialog(choice);
    gtk_combo_box_set_active(GTK_COMBO_BOX(controls.driverList), choice.driverIndex);
    gtk_combo_box_set_active(GTK_COMBO_BOX(controls.modeList), choice.modeIndex);
    gtk_toggle_button_set_active(GTK_TOGGLE_BUTTON(controls.fullBox), choice.full);

    g_signal_connect(controls.exitButton, "clicked", G_CALLBACK(onExit), nullptr);
    g_signal_connect(controls.playButton, "clicked", G_CALLBACK(onPlay), nullptr);
    g_signal_connect(window, "delete-event", G_CALLBACK(onDelete), nullptr);
    g_signal_connect(window, "key-press-event", G_CALLBACK(onKeyPress), nullptr);

    gtk_widget_show_all(window);
    gtk_widget_grab_focus(controls.exitButton);
    gtk_main();

    gtk_widget_destroy(window);
    while (gtk_events_pending())
        gtk_main_iteration();
    return true;
}
