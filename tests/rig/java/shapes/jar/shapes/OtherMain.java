package shapes;

/** A second class of the executable jar, started when "Main Class" names it. */
public final class OtherMain {
    private OtherMain() {
    }

    public static void main(String[] args) throws InterruptedException {
        JarMain.report(OtherMain.class, args);
    }
}
