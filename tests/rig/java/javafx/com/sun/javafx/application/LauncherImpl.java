package com.sun.javafx.application;

/** The entry point the runtime's helper hands a JavaFX application to. */
public final class LauncherImpl {
    public static void launchApplication(String name, String mode, String[] args) {
        System.out.println("JavaFX launch of " + name + " (" + mode + ") with " + args.length + " argument(s)");
    }
}
