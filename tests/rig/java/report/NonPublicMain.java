package report;

/** A main the runtime's helper refuses: not public. */
public final class NonPublicMain {
    static void main(String[] args) {
    }
}
