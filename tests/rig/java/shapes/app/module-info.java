/** The modular application; its ModuleMainClass is shapes.app.ModMain. */
module shapes.app {
    exports shapes.app;
}
