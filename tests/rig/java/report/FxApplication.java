package report;

/** A JavaFX-shaped application: no main of its own; the runtime's helper starts it. */
public final class FxApplication extends javafx.application.Application {
}
