const config = { appId: 'com.example.tidewater', webDir: 'dist' };
export default config;
