package javafx.application;

/** The base class the runtime's helper recognises a JavaFX application by. */
public abstract class Application {
}
