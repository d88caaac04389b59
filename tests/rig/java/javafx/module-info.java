/** Stands in for JavaFX's graphics module: the names the runtime's helper looks for. */
module javafx.graphics {
    exports javafx.application;
    exports com.sun.javafx.application;
}
