package shapes.app;

/** Another class of the module, started when "Main Module" names it after a "/". */
public final class Second {
    private Second() {
    }

    public static void main(String[] args) throws InterruptedException {
        ModMain.report(Second.class, args);
    }
}
